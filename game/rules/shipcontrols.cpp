#include "game/rules/shipcontrols.h"

#include "game/rules/motion.h"

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
        ship.setRotation(ship.getRotation() + dt * TURN_RATE);
    else if (direction < 0)
        ship.setRotation(ship.getRotation() + dt * TURN_RATE_RIGHT);
}
