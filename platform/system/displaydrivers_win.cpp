#include "platform/system/displaydrivers.h"

namespace win {

// Windows has one window system, and SDL's driver for it is its default.
std::string displayDrivers() {
    return {};
}

std::string noDisplayReason(const char* sdlError) {
    return sdlError;
}

} // namespace win
