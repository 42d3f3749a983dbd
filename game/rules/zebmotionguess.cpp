#include "game/rules/zebmotionguess.h"

#include "game/rules/playarea.h"
#include "game/rules/shipcontrols.h"

#include <cmath>

namespace {

bool isVisibleShip(const ZEBGameStateElement& element) {
    return element.getType() == TYPE_PLAYER && element.isVisible();
}

} // namespace

void ZEBMotionGuess::receive(const ZEBGameStateElement& element) {
    m_turn = 0;
    m_thrust = false;
    m_lasting = false;
    if (isVisibleShip(m_plain) && isVisibleShip(element)) {
        // The short way round: a copy of the compact stream holds angles from 0 to 360.
        const float turned = std::remainder(element.getRotation() - m_plain.getRotation(), 360.0f);
        if (turned > TURN_SEEN)
            m_turn = 1;
        else if (turned < -TURN_SEEN)
            m_turn = -1;
        vector3 change;
        subtract(&element.getVelocity(), &m_plain.getVelocity(), &change);
        const vector3 heading = element.getDirection();
        float along = 0.0f;
        dot(&change, &heading, &along);
        m_thrust = along > THRUST_SEEN;
    }
    m_plain = element;
    m_guess = element;
    m_sinceUpdate = 0.0f;
}

void ZEBMotionGuess::receive(const ZEBGameStateElement& element, int turn, bool thrust, bool lasting) {
    const bool ship = isVisibleShip(element);
    m_lasting = lasting;
    m_turn = ship ? turn : 0;
    m_thrust = ship && thrust;
    m_plain = element;
    m_guess = element;
    m_sinceUpdate = 0.0f;
}

void ZEBMotionGuess::step(float dt) {
    vector3 gain;
    if (holdsControls()) {
        const vector3 before = m_guess.getVelocity();
        if (getThrust())
            thrustShip(m_guess, dt);
        turnShip(m_guess, getTurn(), dt);
        subtract(&m_guess.getVelocity(), &before, &gain);
    }
    m_plain.update(dt);
    m_guess.update(dt);
    // The host moves a ship once more after taking its player's state, so a
    // thrusting ship's records run a step of its gain ahead of the player's own
    // motion; the guess carries the gain that step too.
    vector3 ahead;
    scale(&gain, m_recordsAhead ? dt : 0.0f, &ahead);
    vector3 position;
    subtract(&m_guess.getPosition(), &ahead, &position);
    // Whatever leaves one side comes back at the other, as the host moves it.
    if (m_guess.isVisible())
        wrapPlayArea(position);
    m_guess.setPosition(position);
    m_sinceUpdate += dt;
}
