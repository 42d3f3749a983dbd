#include "game/shell/shell.h"

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
void fitGameToWindow(gameWindow* window) {
    if (g_pd3dDevice == nullptr)
        return;
    const pixelRect area = getPlayArea(window);
    resizeRender(area.x, area.y, area.width, area.height);
    const double scale = static_cast<double>(area.height) / GAME_AREA_HEIGHT;
    const int size = static_cast<int>(std::lround(HUD_FONT_SIZE * scale));
    if (g_font.getFace().isCreated())
        g_font.setSize(std::max(SMALLEST_FONT_SIZE, size));
}

void rememberWindowPlacement(gameWindow* window) {
    const windowPlacement placement = getWindowPlacement(window);
    const bool changed = placement.fullScreen != g_settings.fullScreen ||
                         (!placement.fullScreen && (placement.width != g_settings.windowWidth ||
                                                    placement.height != g_settings.windowHeight));
    if (!changed)
        return;
    g_settings.fullScreen = placement.fullScreen;
    if (!placement.fullScreen) {
        g_settings.windowWidth =
            std::clamp(placement.width, SETTINGS_MIN_WINDOW_SIZE, SETTINGS_MAX_WINDOW_SIZE);
        g_settings.windowHeight =
            std::clamp(placement.height, SETTINGS_MIN_WINDOW_SIZE, SETTINGS_MAX_WINDOW_SIZE);
    }
    saveUserSettings();
}

void toggleFullScreen(gameWindow* window) {
    setFullScreen(window, !getWindowPlacement(window).fullScreen);
}
