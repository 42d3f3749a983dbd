#pragma once

#include "core/maths/vector3.h"

// The play area, the same for host and client: -10 to 10 in x and y, and what
// leaves one side comes back at the other.
constexpr float PLAY_AREA_HALF_WIDTH = 10.0f;
constexpr float PLAY_AREA_WIDTH = 20.0f;

// Brings one coordinate into [-10, 10). Ordinary values get exactly the result of
// stepping by 20; far values are brought back arithmetically, so no value can make
// the wrap run long. A non-finite value is returned unchanged.
float wrapPlayArea(float value);
bool wrapPlayArea(vector3& position); // x and y; true when either changed
