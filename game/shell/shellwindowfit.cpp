#include "game/shell/gameshell.h"

#include "drawing/font/font.h"
#include "drawing/render.h"
#include "platform/system/window.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int SMALLEST_FONT_SIZE = 6;

} // namespace

// Lines are drawn at the real pixel size of the play area, and the text keeps
// its size relative to the play area.
void ZEBGameShell::fitToWindow() {
    if (g_pd3dDevice == nullptr || m_window == nullptr)
        return;
    const pixelRect area = getPlayArea(m_window);
    resizeRender(area.x, area.y, area.width, area.height);
    const double scale = static_cast<double>(area.height) / GAME_AREA_HEIGHT;
    const int size = static_cast<int>(std::lround(HUD_FONT_SIZE * scale));
    if (m_font.getFace().isCreated())
        m_font.setSize(std::max(SMALLEST_FONT_SIZE, size));
}

void ZEBGameShell::rememberWindowPlacement() {
    if (m_window == nullptr)
        return;
    const windowPlacement placement = getWindowPlacement(m_window);
    const bool changed = placement.fullScreen != m_settings.fullScreen ||
                         (!placement.fullScreen && (placement.width != m_settings.windowWidth ||
                                                    placement.height != m_settings.windowHeight));
    if (!changed)
        return;
    m_settings.fullScreen = placement.fullScreen;
    if (!placement.fullScreen) {
        m_settings.windowWidth =
            std::clamp(placement.width, SETTINGS_MIN_WINDOW_SIZE, SETTINGS_MAX_WINDOW_SIZE);
        m_settings.windowHeight =
            std::clamp(placement.height, SETTINGS_MIN_WINDOW_SIZE, SETTINGS_MAX_WINDOW_SIZE);
    }
    saveUserSettings();
}
