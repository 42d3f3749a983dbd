#include "game/rules/playarea.h"

#include <cmath>

namespace {

// Stepping by 20 stays exact and cheap for values this close to the area.
constexpr int WRAP_STEP_LIMIT = 8;

float stepWrap(float value) {
    while (value < -PLAY_AREA_HALF_WIDTH)
        value += PLAY_AREA_WIDTH;
    while (value >= PLAY_AREA_HALF_WIDTH)
        value -= PLAY_AREA_WIDTH;
    return value;
}

} // namespace

float wrapPlayArea(float value) {
    if (!std::isfinite(value))
        return value;
    const float reach = PLAY_AREA_HALF_WIDTH + WRAP_STEP_LIMIT * PLAY_AREA_WIDTH;
    if (value >= -reach && value < reach)
        return stepWrap(value);
    double offset = std::fmod(static_cast<double>(value) + PLAY_AREA_HALF_WIDTH, PLAY_AREA_WIDTH);
    if (offset < 0.0)
        offset += PLAY_AREA_WIDTH;
    const float wrapped = static_cast<float>(offset - PLAY_AREA_HALF_WIDTH);
    // Rounding to float may land on the excluded upper edge.
    return wrapped >= PLAY_AREA_HALF_WIDTH ? -PLAY_AREA_HALF_WIDTH : wrapped;
}

bool wrapPlayArea(vector3& position) {
    const float x = wrapPlayArea(position.x);
    const float y = wrapPlayArea(position.y);
    const bool changed = x != position.x || y != position.y;
    position.x = x;
    position.y = y;
    return changed;
}
