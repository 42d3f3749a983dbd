#include "game/shell/gameshell.h"
#include "game/shell/shell.h"

#include "game/shell/shellframegate.h"
#include "game/shell/shellplayername.h"
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
    auto* game = static_cast<ZEBGameShell*>(getWindowOwner(window));
    if (game == nullptr) {
        if (message == WM_DESTROY) {
            postQuitMessage(0);
            return 0;
        }
        return defWindowProc(window, message, wParam, lParam);
    }
    return game->handleWindowMessage(message, wParam, lParam);
}

int64_t ZEBGameShell::handleWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
    if (isFullScreenKey(message, wParam)) {
        if ((lParam & KEY_REPEAT_FLAG) == 0)
            toggleFullScreen();
        return 0;
    }
    if (handleKeyMessage(message, wParam))
        return 0;
    switch (message) {
    case WM_SIZE:
        fitToWindow();
        rememberWindowPlacement();
        return 0;
    case WM_COMMAND:
        if ((wParam & 0xFFFF) == COMMAND_ABOUT) {
            openAboutBox(m_window);
            return 0;
        }
        if ((wParam & 0xFFFF) == COMMAND_EXIT) {
            destroyWindow(m_window);
            return 0;
        }
        if ((wParam & 0xFFFF) == COMMAND_NAME) {
            openNameBox(m_window, m_playerName, PLAYER_NAME_MAX_BYTES);
            return 0;
        }
        if ((wParam & 0xFFFF) == COMMAND_NAME_CHOSEN) {
            takeNameFromBox();
            return 0;
        }
        return defWindowProc(m_window, message, wParam, lParam);
    case WM_PAINT:
        return 0; // all drawing is done by the loop
    case WM_DESTROY:
        postQuitMessage(0);
        return 0;
    default:
        return defWindowProc(m_window, message, wParam, lParam);
    }
}

int runMessageLoop(gameWindow* window, const frameUpdateFunction& update, const frameRenderFunction& render,
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

int runWindowedGame(const shellOptions& options) {
    const char* reason = "";
    if (!initialiseWindowSystem(&reason)) {
        std::fprintf(stderr,
                     "zeb: there is no display to open the game window on (%s); "
                     "to host a game without a window, run: zeb --server\n",
                     reason);
        return 1;
    }
    // The settings give the window its size before the game is made on it.
    ZEBGameShell game(options);
    game.loadUserSettings();
    windowPlacement placement;
    placement.width = game.getSettings().windowWidth;
    placement.height = game.getSettings().windowHeight;
    placement.fullScreen = game.getSettings().fullScreen;
    gameWindow* window = createGameWindow(WINDOW_TITLE, shellWindowProcedure, placement);
    if (window == nullptr) {
        std::fprintf(stderr, "zeb: the game window could not be created\n");
        return 1;
    }
    game.attachWindow(window);
    game.start();
    // --frames counts the frames of the game, or of its absence, once set-up
    // has come to an end: a picture taken then shows what set-up led to.
    long gameFrames = 0;
    const auto render = [&] {
        game.render();
        const bool settled =
            game.getStage() == setupStage::playing || game.getStage() == setupStage::unavailable;
        if (settled && ++gameFrames == options.frames)
            postMessage(window, WM_CLOSE, 0, 0);
    };
    const int exitCode = runMessageLoop(
        window, [&game](float changeInTime, float frameTime) { return game.update(changeInTime, frameTime); },
        render, 0);
    setWindowOwner(window, nullptr);
    if (!options.screenshot.empty())
        game.getScreenshot().save(options.screenshot);
    return exitCode;
}
