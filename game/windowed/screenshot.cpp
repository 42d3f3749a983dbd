#include "game/windowed/screenshot.h"

#include "platform/language/translation.h"
#include "platform/render/pngwriter.h"
#include "platform/system/window.h"

#include <cstdio>

void windowScreenshot::capture(void* nativeRenderer) {
    if (m_enabled)
        readWindowPixels(nativeRenderer, m_lastFrame, m_width, m_height);
}

bool windowScreenshot::save(const std::string& path) const {
    if (m_lastFrame.empty()) {
        std::fprintf(stderr, tr("zeb: no frame was drawn, so there is no screenshot for %s\n"), path.c_str());
        return false;
    }
    if (!writePNG(path, m_lastFrame, m_width, m_height)) {
        std::fprintf(stderr, tr("zeb: cannot write the screenshot %s\n"), path.c_str());
        return false;
    }
    return true;
}
