#include "platform/render/graphicsdevices.h"

// A page draws through the browser's WebGL, which finds its own device.
bool hasGraphicsDevice(const std::string&) {
    return true;
}

bool hasGraphicsDevice() {
    return true;
}
