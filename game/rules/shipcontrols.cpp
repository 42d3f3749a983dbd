#include "game/rules/shipcontrols.h"

#include "game/rules/motion.h"

#include <cmath>

namespace {

const float TURN_RATE = static_cast<float>(TURN_REVOLUTIONS * 360.0);
const float TURN_RATE_RIGHT = static_cast<float>(TURN_REVOLUTIONS * -360.0);

} // namespace

void thrustShip(ZEBGameStateElement& ship, float dt) {
    const vector3 direction = ship.getDirection();
    vector3 velocityAddition;
    scale(&direction, SHIP_THRUST * dt, &velocityAddition);
    vector3 velocity;
    add(&ship.getVelocity(), &velocityAddition, &velocity);
    float speed = 0.0f;
    magnitude(&velocity, &speed);
    if (MAX_SHIP_SPEED < speed) {
        normalise(&velocity, &velocity);
        scale(&velocity, MAX_SHIP_SPEED, &velocity);
    }
    ship.setVelocity(velocity);
}

void turnShip(ZEBGameStateElement& ship, int direction, float dt) {
    if (direction > 0)
        ship.setRotation(wrapRotation(ship.getRotation() + dt * TURN_RATE));
    else if (direction < 0)
        ship.setRotation(wrapRotation(ship.getRotation() + dt * TURN_RATE_RIGHT));
}

float wrapRotation(float degrees) {
    float wrapped = std::fmod(degrees, 360.0f);
    if (wrapped < 0.0f)
        wrapped += 360.0f;
    return wrapped < 360.0f ? wrapped : 0.0f; // -1e-9 + 360 rounds to 360
}
