#pragma once

#include "game/rules/compactreport.h"
#include "game/rules/zebmotionguess.h"

#include <cstdint>

// The host's side of one player's reports (compactreport.h): between two
// reports it carries the ship on by the controls last reported, exactly as the
// player's copy expects it to, so that the copy knows when it must report.
class ZEBCompactUplinkReader {
  public:
    // A report's motion was adopted for the ship; placing tells which time the
    // game last put the ship somewhere itself (ZEBShipStateCheck::getPlacings).
    void adopted(const ZEBGameStateElement& ship, int turn, bool thrust, uint32_t placing);
    void stop() { m_live = false; } // the copy holds no ship
    // Start of the simulation: ship carried on by dt unless a report set it this
    // tick, or the game has placed or hidden it since the last report.
    void carry(ZEBGameStateElement& ship, float dt, uint32_t placing);
    // The controls the copy last reported, while it flies the ship by reports.
    bool isLive() const { return m_live; }
    int getTurn() const { return m_guess.getTurn(); }
    bool getThrust() const { return m_guess.getThrust(); }

  private:
    ZEBMotionGuess m_guess{false};
    bool m_live = false;
    bool m_fresh = false; // set by this tick's report
    uint32_t m_placing = 0;
};
