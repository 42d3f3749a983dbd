// When the window system's events are worth SDL's pump, whose every call on
// X11 reads the display's socket.

#include "platform/system/displayevents.h"

#include <gtest/gtest.h>

// Without a window on X11 (here SDL's display-less driver, or none) every pass pumps.
TEST(displayEvents, aWindowOffX11IsAlwaysPumped) {
    displayEvents events;
    events.attach(nullptr);
    for (uint32_t now = 0; now < 5; ++now)
        EXPECT_TRUE(events.worthPumping(now, false));
}
