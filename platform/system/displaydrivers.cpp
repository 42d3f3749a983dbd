#include "platform/system/displaydrivers.h"

#include <cstdlib>

namespace win {

// Only the window systems that can be there: probing a display server that is
// not running prints noise, and the headless drivers are taken only when asked for.
std::string displayDrivers() {
    std::string drivers;
    if (std::getenv("DISPLAY") != nullptr)
        drivers += "x11,";
    if (std::getenv("WAYLAND_DISPLAY") != nullptr)
        drivers += "wayland,";
    return drivers + "kmsdrm";
}

std::string noDisplayReason(const char* sdlError) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return sdlError;
}

} // namespace win
