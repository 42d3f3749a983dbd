#pragma once

#include "core/maths/vector3.h"

#include <cstdint>

class ZEBGameStateElement;

// The host's check on the ship states a player reports. The player's copy flies
// its own ship, so the host cannot replay its motion, but it knows how far a
// ship can fly: a reported position must lie within top speed times the time
// since the last good one, measured across the wrapping edges.
//
// The time is a credit in seconds, earned on the host's clock and spent by the
// distance each accepted state moved. States arrive in bunches and late after
// a slow frame or a busy link, so the credit may run ahead of the distance by
// STATE_TIME_SLACK; it is cut back to that only when a state is accepted, so a
// player whose states were refused (a lost explosion, a stalled host) earns
// the time it really flew and is accepted again once it could have got there.
// Many states in one tick share one credit: a burst cannot add up to a jump.
constexpr float STATE_TIME_SLACK = 0.5f;          // seconds
constexpr float STATE_POSITION_TOLERANCE = 0.25f; // units, for rounding on both ends
constexpr float STATE_SPEED_TOLERANCE = 0.05f;    // units per second over the top speed

class ZEBShipStateCheck {
  public:
    // The game put the ship there and the player's copy takes it over.
    void restart(const vector3& position);
    void elapse(float seconds);
    // True when the reported state may be adopted, and takes it as the last
    // good one; false leaves everything as it was.
    bool accept(const ZEBGameStateElement& reported);
    // Counts the restarts: what a player reported before the last one is stale.
    uint32_t getPlacings() const { return m_placings; }

  private:
    vector3 m_position;
    uint32_t m_placings = 0;
    float m_credit = STATE_TIME_SLACK;
};
