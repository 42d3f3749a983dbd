#include "game/server/zebshipstatecheck.h"

#include "game/rules/motion.h"
#include "game/rules/playarea.h"
#include "game/rules/zebgamestateelement.h"

#include <algorithm>
#include <cmath>

namespace {

float squared(float value) {
    return value * value;
}

} // namespace

void ZEBShipStateCheck::restart(const vector3& position) {
    m_position = position;
    m_credit = STATE_TIME_SLACK;
    ++m_placings;
}

void ZEBShipStateCheck::elapse(float seconds) {
    if (std::isfinite(seconds) && seconds > 0.0f)
        m_credit += seconds;
}

// Compared in squares: a value that is not a number fails every comparison.
bool ZEBShipStateCheck::accept(const ZEBGameStateElement& reported) {
    const vector3& velocity = reported.getVelocity();
    const float topSpeed = MAX_SHIP_SPEED + STATE_SPEED_TOLERANCE;
    if (!(squared(velocity.x) + squared(velocity.y) + squared(velocity.z) <= squared(topSpeed)))
        return false; // the host moves the ship by it until the next state
    const vector3& position = reported.getPosition();
    const float distanceSquared = squared(wrapPlayArea(position.x - m_position.x)) +
                                  squared(wrapPlayArea(position.y - m_position.y)) +
                                  squared(position.z - m_position.z);
    const float reach = MAX_SHIP_SPEED * m_credit + STATE_POSITION_TOLERANCE;
    if (!(distanceSquared <= squared(reach)))
        return false;
    m_position = position;
    m_credit = std::min(m_credit - std::sqrt(distanceSquared) / MAX_SHIP_SPEED, STATE_TIME_SLACK);
    return true;
}
