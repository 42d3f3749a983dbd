#include "game/windowed/windowedgame.h"

#include "drawing/font/font.h"
#include "drawing/render.h"
#include "platform/system/window.h"

#include <algorithm>
#include <cmath>

// Lines are drawn at the real pixel size of the play area, and the text keeps
// its size relative to the play area down to the designed size: in a smaller
// area it keeps that size, to stay readable, and its lines move apart.
void ZEBWindowedGame::fitToWindow() {
    if (g_pd3dDevice == nullptr || m_window == nullptr)
        return;
    const pixelRect area = getPlayArea(m_window);
    resizeRender(area.x, area.y, area.width, area.height);
    const double scale = static_cast<double>(area.height) / GAME_AREA_HEIGHT;
    const int size = std::max(HUD_FONT_SIZE, static_cast<int>(std::lround(HUD_FONT_SIZE * scale)));
    m_lineSpacing = LINE_SPACING * static_cast<float>(std::max(1.0, 1.0 / scale));
    if (m_font.getFace().isCreated())
        m_font.setSize(size);
}

void ZEBWindowedGame::rememberWindowPlacement() {
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
