#include "platform/system/displaydrivers.h"

namespace win {

// A page has one display, its canvas, and SDL's driver for it is its default.
std::string displayDrivers() {
    return {};
}

std::string noDisplayReason(const char* sdlError) {
    return sdlError;
}

} // namespace win
