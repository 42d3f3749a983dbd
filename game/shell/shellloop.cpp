#include "game/shell/shell.h"

#include "game/shell/shellframegate.h"
#include "sound/soundlist.h"

#include "platform/system/clock.h"
#include "platform/system/menustrip.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/window.h"

#include <cstdio>

using namespace win;

namespace {

bool isFullScreenKey(uint32_t message, uint64_t wParam) {
    const uint32_t key = static_cast<uint32_t>(wParam & 0xFFFF);
    return (message == WM_KEYDOWN && key == VK_F11) || (message == WM_SYSKEYDOWN && key == VK_RETURN);
}

} // namespace

int64_t shellWindowProcedure(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    if (isFullScreenKey(message, wParam)) {
        if ((lParam & KEY_REPEAT_FLAG) == 0)
            toggleFullScreen(window);
        return 0;
    }
    if (handleKeyMessage(window, message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_SIZE:
        fitGameToWindow(window);
        rememberWindowPlacement(window);
        return 0;
    case WM_COMMAND:
        if ((wParam & 0xFFFF) == COMMAND_ABOUT) {
            openAboutBox(window);
            return 0;
        }
        if ((wParam & 0xFFFF) == COMMAND_EXIT) {
            destroyWindow(window);
            return 0;
        }
        return defWindowProc(window, message, wParam, lParam);
    case WM_PAINT:
        return 0; // all drawing is done by the loop
    case WM_DESTROY:
        postQuitMessage(0);
        return 0;
    default:
        return defWindowProc(window, message, wParam, lParam);
    }
}

int runMessageLoop(gameWindow* window, frameUpdateFunction update, frameRenderFunction render,
                   long frameLimit) {
    frameGate gate(fineClockFrequency());
    long framesDrawn = 0;
    windowMessage msg;
    uint32_t last = timeGetTime();
    gate.start(fineClockTicks());
    while (msg.message != WM_QUIT) {
        const bool handled = peekMessage(msg);
        if (handled && msg.message != WM_QUIT)
            dispatchMessage(msg);
        const uint32_t now = timeGetTime();
        const uint64_t fineNow = fineClockTicks();
        const uint64_t elapsed = static_cast<uint32_t>(now - last); // the clock wraps at 2^32
        const float changeInTime = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
        if (update(changeInTime, gate.frameTime(fineNow))) {
            last = now;
            gate.accept(fineNow);
            render();
            if (++framesDrawn == frameLimit) // quit as the menu's Exit does
                postMessage(window, WM_CLOSE, 0, 0);
        } else if (!handled) {
            // Nothing to do until the next event or the next frame.
            waitMessage(gate.millisecondsUntilDue(fineNow));
        }
    }
    return static_cast<int>(msg.wParam);
}

namespace {

gameWindow* g_setupWindow = nullptr;

// Set-up's progress: the window's events are handled and the status drawn. A
// quit is put back for the loop, which then ends at once.
bool drawSetupProgress(const char* status) {
    windowMessage msg;
    while (peekMessage(msg)) {
        if (msg.message == WM_QUIT) {
            postQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        dispatchMessage(msg);
    }
    fitGameToWindow(g_setupWindow);
    renderSetupStatus(status);
    return true;
}

} // namespace

gameWindow* openGameWindow(windowProcedure procedure, const char* withoutDisplay) {
    const char* reason = "";
    if (!initialiseWindowSystem(&reason)) {
        std::fprintf(stderr, "zeb: there is no display to open the game window on (%s)%s\n", reason,
                     withoutDisplay);
        return nullptr;
    }
    loadUserSettings();
    windowPlacement placement;
    placement.width = g_settings.windowWidth;
    placement.height = g_settings.windowHeight;
    placement.fullScreen = g_settings.fullScreen;
    gameWindow* window = createGameWindow(WINDOW_TITLE, procedure, placement);
    if (window == nullptr)
        std::fprintf(stderr, "zeb: the game window could not be created\n");
    return window;
}

int runWindowedGame() {
    gameWindow* window =
        openGameWindow(shellWindowProcedure, "; to host a game without a window, run: zeb --server");
    if (window == nullptr)
        return 1;
    g_setupWindow = window;
    setSetupProgress(drawSetupProgress);
    if (setupGame(window) == setupResult::cannotHost) {
        shutdownGame();
        return 1;
    }
    if (g_soundList != nullptr)
        g_soundList->setEnabled(g_soundEnabled);
    fitGameToWindow(window);
    startBots();
    const int exitCode = runMessageLoop(window, updateGame, renderGame, g_options.frames);
    stopBots();
    if (!g_options.screenshot.empty())
        saveScreenshot(g_options.screenshot);
    shutdownGame();
    return exitCode;
}
