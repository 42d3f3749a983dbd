#include "game/common/hostedlevel.h"

#include <utility>

void hostLevel(LevelData level, ZEBHostedGameState& game, std::vector<ZEBObject>& shapes) {
    if (level.settings)
        game.setAsteroids(level.settings->asteroids, level.settings->speed);
    shapes = std::move(level.shapes);
    game.sortObjects(shapes);
}
