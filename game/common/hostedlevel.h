#pragma once

#include "game/level/levelloader.h"
#include "game/server/zebhostedgamestate.h"

#include <vector>

// A level's part in a hosted game: its settings go to the game, and its
// shapes, once the game has sorted them by kind, become the shapes the game's
// elements refer to (shapes is replaced).
void hostLevel(LevelData level, ZEBHostedGameState& game, std::vector<ZEBObject>& shapes);
