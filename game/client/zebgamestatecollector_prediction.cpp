#include "game/client/zebgamestatecollector.h"

#include "game/rules/motion.h"
#include "game/rules/playarea.h"

namespace {

const float TURN_RATE = static_cast<float>(TURN_REVOLUTIONS * 360.0);
const float TURN_RATE_RIGHT = static_cast<float>(TURN_REVOLUTIONS * -360.0);

void thrust(ZEBGameStateElement& own, float changeInTime) {
    const vector3 direction = own.getDirection();
    vector3 velocityAddition;
    scale(&direction, SHIP_THRUST * changeInTime, &velocityAddition);
    vector3 velocity;
    add(&own.getVelocity(), &velocityAddition, &velocity);
    float speed = 0.0f;
    magnitude(&velocity, &speed);
    if (MAX_SHIP_SPEED < speed) {
        normalise(&velocity, &velocity);
        scale(&velocity, MAX_SHIP_SPEED, &velocity);
    }
    own.setVelocity(velocity);
}

} // namespace

void ZEBGameStateCollector::predictOwnShip(float changeInTime) {
    if (ownShipHeld() && m_elements[m_ownIndex].isVisible()) {
        ZEBGameStateElement& own = m_elements[m_ownIndex];
        if (m_input.up)
            thrust(own, changeInTime);
        if (m_input.left)
            own.setRotation(own.getRotation() + changeInTime * TURN_RATE);
        if (m_input.right)
            own.setRotation(own.getRotation() + changeInTime * TURN_RATE_RIGHT);
        vector3 position = own.getPosition();
        wrapPlayArea(position);
        own.setPosition(position);

        // Only the fire flag reaches the server; the motion travels as the ship's state.
        const bool fire = m_input.fire;
        m_input.clear();
        m_input.fire = fire;
    }
    for (ZEBGameStateElement& element : m_elements)
        element.update(changeInTime);
}
