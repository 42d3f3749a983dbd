// When the window system's events are worth SDL's pump, whose every call on
// X11 reads the display's socket.

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

// Without a window on X11 (here SDL's display-less driver, or none) every pass pumps.
TEST(displayEvents, aWindowOffX11IsAlwaysPumped) {
    displayEvents events;
    events.attach(nullptr);
    for (uint32_t now = 0; now < 5; ++now)
        EXPECT_TRUE(events.worthPumping(now, false));
}
