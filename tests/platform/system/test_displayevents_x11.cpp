// When X11's events are worth SDL's pump, whose every call there reads the
// display's socket (elsewhere every pass pumps).

#include "platform/system/displayevents.h"

#include <gtest/gtest.h>

TEST(displayEvents, aQuietWatchedDisplayWaitsButNeverLongerThanTheBound) {
    const uint32_t bound = displayEvents::PUMP_AT_LEAST_EVERY;
    const struct {
        pumpFacts facts;
        bool due;
    } cases[] = {
        {{true, false, true, 10, false}, false},        // quiet: skipped
        {{true, false, true, bound - 1, false}, false}, // still within the bound
        {{true, false, true, bound, false}, true},      // SDL's timed chores
        {{true, false, true, 10, true}, true},          // bytes or queued events
        {{true, true, true, 10, false}, true},          // controllers are read by the pump
        {{true, false, false, 0, false}, true},         // the first pass
        {{false, false, true, 0, false}, true},         // another window system
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayEvents::isPumpDue(c.facts), c.due)
            << c.facts.watched << c.facts.controllersOpen << c.facts.pumpedBefore << " "
            << c.facts.sinceLastPump << c.facts.newsWaiting;
}
