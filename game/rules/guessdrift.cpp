#include "game/rules/guessdrift.h"

#include "game/rules/playarea.h"

#include <cmath>

bool isCompactGuessOff(const ZEBGameStateElement& guess, const ZEBGameStateElement& truth) {
    if (guess.isVisible() != truth.isVisible())
        return true;
    const vector3& a = guess.getPosition();
    const vector3& b = truth.getPosition();
    float dx = a.x - b.x;
    float dy = a.y - b.y;
    if (std::fabs(dx) >= PLAY_AREA_HALF_WIDTH || std::fabs(dy) >= PLAY_AREA_HALF_WIDTH) {
        dx = wrapPlayArea(dx);
        dy = wrapPlayArea(dy);
    }
    float turn = guess.getRotation() - truth.getRotation();
    if (!(std::fabs(turn) <= GUESS_ROTATION_THRESHOLD))
        turn = std::remainder(turn, 360.0f);
    const float dvx = guess.getVelocity().x - truth.getVelocity().x;
    const float dvy = guess.getVelocity().y - truth.getVelocity().y;
    // Written so that a value that is not a number counts as off.
    return !(dx * dx + dy * dy <= GUESS_POSITION_THRESHOLD * GUESS_POSITION_THRESHOLD) ||
           !(std::fabs(turn) <= GUESS_ROTATION_THRESHOLD) ||
           !(dvx * dvx + dvy * dvy <= GUESS_VELOCITY_THRESHOLD * GUESS_VELOCITY_THRESHOLD);
}
