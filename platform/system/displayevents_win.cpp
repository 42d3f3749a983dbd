#include "platform/system/displayevents.h"

// Windows' message queue is read without a round trip: always pumped.
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
