#include "game/windowed/gamewindow.h"
#include "game/common/options.h"
#include "game/windowed/windowedgame.h"
#include "game/windowed/windowtexts.h"
#include "platform/language/translation.h"
#include "platform/system/window.h"
#include "platform/system/windowloop.h"

#include <cstdio>

gameWindow* openGameWindow(ZEBWindowedGame& game, const char* withoutDisplay) {
    const char* reason = "";
    if (!initialiseWindowSystem(&reason)) {
        std::fprintf(stderr, tr("zeb: there is no display to open the game window on (%s)%s\n"), reason,
                     withoutDisplay);
        return nullptr;
    }
    // The settings give the window its size before the game is made on it.
    game.loadUserSettings();
    windowPlacement placement;
    placement.width = game.getSettings().windowWidth;
    placement.height = game.getSettings().windowHeight;
    placement.fullScreen = game.getSettings().fullScreen;
    gameWindow* window = createGameWindow(tr(WINDOW_TITLE), nullptr, placement);
    if (window == nullptr) {
        std::fprintf(stderr, "%s", tr("zeb: the game window could not be created\n"));
        return nullptr;
    }
    game.attachWindow(window);
    return window;
}

// --frames counts the frames of the game, or of its absence, once set-up has
// come to an end: a picture taken then shows what set-up led to.
int runGameFrames(ZEBWindowedGame& game, gameWindow* window, const gameOptions& options,
                  const frameUpdateFunction& update) {
    long gameFrames = 0;
    const auto render = [&] {
        game.render();
        const bool settled =
            game.getStage() == setupStage::playing || game.getStage() == setupStage::unavailable;
        if (settled && ++gameFrames == options.frames)
            closeWindow(window);
    };
    const int exitCode = runWindowLoop(window, MIN_FRAME_TIME, update, render, 0);
    setWindowOwner(window, nullptr);
    if (!options.screenshot.empty())
        game.getScreenshot().save(options.screenshot);
    return exitCode;
}

int runWindowedGame(const gameOptions& options, languageInUse& language) {
    ZEBWindowedGame game(options);
    game.setLanguage(&language);
    gameWindow* window = openGameWindow(game, tr("; to host a game without a window, run: zeb --server"));
    if (window == nullptr)
        return 1;
    game.start();
    return runGameFrames(game, window, options, [&game](float changeInTime, float frameTime) {
        return game.update(changeInTime, frameTime);
    });
}
