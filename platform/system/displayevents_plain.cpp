#include "platform/system/displayevents.h"

// Windows' message queue and a browser's events are read without a round
// trip to a display server: always pumped.
class x11Calls {};

displayEvents::displayEvents() = default;

displayEvents::~displayEvents() = default;

void displayEvents::attach(void*) {}

bool displayEvents::worthPumping(uint32_t, bool) {
    return true;
}

bool displayEvents::isPumpDue(const pumpFacts&) {
    return true;
}

bool displayEvents::hasNews() const {
    return true;
}
