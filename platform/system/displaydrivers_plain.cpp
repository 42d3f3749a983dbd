#include "platform/system/displaydrivers.h"

namespace win {

// Windows and a page have one window system each, and SDL's driver for it
// is its default.
std::string displayDrivers() {
    return {};
}

std::string noDisplayReason(const char* sdlError) {
    return sdlError;
}

} // namespace win
