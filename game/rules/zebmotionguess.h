#pragma once

#include "game/rules/zebgamestateelement.h"

// The guess applies the controls it reads this long after the last update: a
// lost update that would have ended a turn leaves a ship turning no longer.
constexpr float GUESS_TIME = 0.5f;
// Changes smaller than these between two updates are not a control held: one
// frame of turning is over 0.75 degrees even at 200 frames a second, and one
// of thrust adds 0.03 units a second; a ship thrusting at top speed still
// gains what damping took (0.3 of 5.5 units a second, per second).
constexpr float TURN_SEEN = 0.5f;    // degrees
constexpr float THRUST_SEEN = 0.02f; // units per second, along the heading

// How a ZEB copy carries an element on between two updates of the host. The
// movement step alone leaves a turning or thrusting ship behind; ships turn
// and thrust at fixed rates, though, and a host sends a ship whenever its
// controls change, so what changed since the last update tells which controls
// the player holds, and the guess applies them for a while. The host keeps the
// same guess of what the copies hold, so it knows what they cannot work out.
// The same update received twice in a row tells that nothing is held.
class ZEBMotionGuess {
  public:
    ZEBMotionGuess() = default;
    // recordsAhead false: what it receives is where the ship is, not where
    // the host has moved it a step on (a player's report of its own ship).
    explicit ZEBMotionGuess(bool recordsAhead) : m_recordsAhead(recordsAhead) {}

    void receive(const ZEBGameStateElement& element); // an update or a full record arrived
    // An update that says which controls the ship holds (+1 left, -1 right):
    // nothing is read from the update before. lasting: they hold until the
    // next update, from a sender that mends its losses (the compact stream
    // both ways), instead of for GUESS_TIME.
    void receive(const ZEBGameStateElement& element, int turn, bool thrust, bool lasting = false);
    void step(float dt);

    const ZEBGameStateElement& getElement() const { return m_guess; }
    // The controls the guess applies now: +1 left, -1 right.
    int getTurn() const { return isHeld() ? m_turn : 0; }
    bool getThrust() const { return isHeld() && m_thrust; }
    bool holdsControls() const { return getTurn() != 0 || getThrust(); }

  private:
    bool isHeld() const { return m_lasting || m_sinceUpdate < GUESS_TIME; }

    ZEBGameStateElement m_plain; // the last update carried on by the movement step alone
    ZEBGameStateElement m_guess; // the same with the guessed controls
    float m_sinceUpdate = GUESS_TIME * 2.0f;
    int m_turn = 0;
    bool m_thrust = false;
    bool m_recordsAhead = true;
    bool m_lasting = false;
};
