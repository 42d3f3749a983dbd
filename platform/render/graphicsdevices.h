#pragma once

#include <string>

// Whether the machine shows a graphics processor the GL driver could use.
// Without one, a GL renderer can only rasterise on the processor, and asking
// for it loads a driver (Mesa's llvmpipe with LLVM, some 50 MB) that stays
// mapped after the renderer is gone: SDL's own software renderer is chosen
// without it.
bool hasGraphicsDevice();
// The same, for a device folder laid out as /dev (dri/renderD*, dri/card*,
// nvidia0...); a node must be open to this user for reading and writing.
bool hasGraphicsDevice(const std::string& deviceFolder);
