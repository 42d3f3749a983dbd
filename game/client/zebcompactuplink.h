#pragma once

#include "game/rules/compactreport.h"
#include "game/rules/zebmotionguess.h"

// A playing copy's side of its reports (compactreport.h): it keeps the guess
// the host carries its ship on by, and reports when the controls change, when
// that guess drifts past what a player can see, once more a little later in
// case the report was lost, and as a heartbeat.
class ZEBCompactUplink {
  public:
    void reset() { *this = ZEBCompactUplink(); }
    // One frame of dt seconds, after the prediction: the own ship (nullptr
    // when none is shown) and the controls it holds. True when a report is
    // due, in out.
    bool frame(float dt, const ZEBGameStateElement* ship, int turn, bool thrust, bool fire,
               CompactReport* out);

  private:
    ZEBMotionGuess m_hostGuess{false};
    bool m_started = false;
    bool m_hostHasShip = false;
    int m_turn = 0;
    bool m_thrust = false;
    bool m_fire = false;
    float m_sinceReport = 0.0f;
    float m_repeatIn = 0.0f;
    bool m_repeatPending = false;
};
