#pragma once

#include "platform/system/windowloop.h"

class ZEBWindowedGame;
struct gameWindow;
struct gameOptions;

// The game's window, placed as the user's settings say, owned by game; null,
// after a line on standard error (ending with withoutDisplay when there is no
// display), when it cannot be opened.
gameWindow* openGameWindow(ZEBWindowedGame& game, const char* withoutDisplay);

// The window's frames until it closes, then the --screenshot; the exit code.
int runGameFrames(ZEBWindowedGame& game, gameWindow* window, const gameOptions& options,
                  const frameUpdateFunction& update);
