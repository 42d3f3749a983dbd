#include "game/shell/shell.h"

#include "platform/render/pngwriter.h"
#include "platform/system/window.h"

#include <cstdio>

namespace {

std::vector<uint32_t> g_lastFrame;
int g_lastFrameWidth = 0;
int g_lastFrameHeight = 0;

} // namespace

void captureFrameForScreenshot(void* nativeRenderer) {
    if (!g_options.screenshot.empty())
        readWindowPixels(nativeRenderer, g_lastFrame, g_lastFrameWidth, g_lastFrameHeight);
}

bool saveScreenshot(const std::string& path) {
    if (g_lastFrame.empty()) {
        std::fprintf(stderr, "zeb: no frame was drawn, so there is no screenshot for %s\n", path.c_str());
        return false;
    }
    if (!writePNG(path, g_lastFrame, g_lastFrameWidth, g_lastFrameHeight)) {
        std::fprintf(stderr, "zeb: cannot write the screenshot %s\n", path.c_str());
        return false;
    }
    return true;
}
