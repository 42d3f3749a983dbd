#pragma once

#include "game/rules/zebgamestateelement.h"

// The controls of a ship, applied the one way everywhere: by the player's own
// copy to its ship, and by every copy that guesses what a remote ship holds.
void thrustShip(ZEBGameStateElement& ship, float dt);              // along the heading, then the speed limit
void turnShip(ZEBGameStateElement& ship, int direction, float dt); // +1 left, -1 right, 0 none
// The same heading in [0, 360) degrees: a ship that turns for hours keeps the
// precision of its angle. Exact (fmod), so every copy computes it alike.
float wrapRotation(float degrees);
