#include "game/shell.h"

#include "platform/system/aboutbox.h"
#include "platform/system/clock.h"
#include "platform/system/menustrip.h"
#include "platform/system/window.h"

#include <cstdio>

int64_t shellWindowProcedure(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    if (handleKeyMessage(window, message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_COMMAND:
        if ((wParam & 0xFFFF) == COMMAND_ABOUT) {
            showAboutBox(getNativeWindow(window));
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

namespace {

// The smallest whole number of milliseconds that the update accepts as a frame.
uint32_t frameDueMilliseconds() {
    uint32_t ms = 0;
    while (static_cast<float>(ms / 1000.0) < MIN_FRAME_TIME)
        ++ms;
    return ms;
}

} // namespace

int runMessageLoop(gameWindow* window, frameUpdateFunction update, frameRenderFunction render,
                   long frameLimit) {
    const uint32_t frameDue = frameDueMilliseconds();
    long framesDrawn = 0;
    windowMessage msg;
    uint32_t last = timeGetTime();
    while (msg.message != WM_QUIT) {
        const bool handled = peekMessage(msg);
        if (handled && msg.message != WM_QUIT)
            dispatchMessage(msg);
        const uint32_t now = timeGetTime();
        const uint64_t elapsed = static_cast<uint32_t>(now - last); // the clock wraps at 2^32
        const float changeInTime = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
        if (update(changeInTime)) {
            last = now;
            render();
            if (++framesDrawn == frameLimit) // quit as the menu's Exit does
                postMessage(window, WM_CLOSE, 0, 0);
        } else if (!handled && elapsed < frameDue) {
            // Nothing to do until the next event or the next frame.
            waitMessage(static_cast<uint32_t>(frameDue - elapsed));
        }
    }
    return static_cast<int>(msg.wParam);
}

int runWindowedGame() {
    const char* reason = "";
    if (!initialiseWindowSystem(&reason)) {
        std::fprintf(stderr,
                     "zeb: there is no display to open the game window on (%s); "
                     "to host a game without a window, run: zeb --server\n",
                     reason);
        return 1;
    }
    gameWindow* window = createGameWindow(WINDOW_TITLE, shellWindowProcedure);
    if (window == nullptr) {
        std::fprintf(stderr, "zeb: the game window could not be created\n");
        return 1;
    }
    if (setupGame(window) == setupResult::cannotHost) {
        shutdownGame();
        return 1;
    }
    startBots();
    const int exitCode = runMessageLoop(window, updateGame, renderGame, g_options.frames);
    stopBots();
    if (!g_options.screenshot.empty())
        saveScreenshot(g_options.screenshot);
    shutdownGame();
    return exitCode;
}
