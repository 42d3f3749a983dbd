#pragma once

#include "core/maths/colour4.h"
#include "core/maths/vector3.h"

#include <string>
#include <vector>

class ZEBGameStateCollector;

// What this client tells its player about the moment, from what it already
// receives: the own score's changes as short-lived popups beside the ship,
// who shot the own ship, and which ships rest untouched where they appeared
// (the host spares those from asteroids for a while).
constexpr float SCORE_POPUP_SECONDS = 1.5f;
constexpr int MAX_SCORE_POPUPS = 4; // older ones give way
constexpr float SHOT_BY_SECONDS = 3.0f;
// A host fires a hit bullet's explosion with the ship's, at the point of contact.
constexpr float SHOT_REACH = 3.0f;
constexpr int BULLETS_PER_SHIP = 2; // a place's elements: its ship, then its bullets

struct ZEBScorePopup {
    int change = 0;
    float age = 0.0f; // seconds
};

class ZEBFeedback {
  public:
    // After the collector's update: ages what is shown and turns a change of
    // the own row's score into a popup.
    void update(float dt, const ZEBGameStateCollector& collector);
    // The elements whose explosions arrived this frame; when the own ship is
    // among them with another place's bullet, that place's player shot it.
    void noteExplosions(const ZEBGameStateCollector& collector, const std::vector<int>& exploded);
    void reset() { *this = ZEBFeedback(); }

    const std::vector<ZEBScorePopup>& getPopups() const { return m_popups; }
    const std::string& getShooter() const { return m_shooter; } // empty when nothing to say
    const colour4& getShooterColour() const { return m_shooterColour; }
    // The ship at that element index has not moved, turned or fired since it
    // appeared; seconds since it appeared in shown.
    bool isSpared(int index, float& shown) const;

  private:
    struct ShipSeen {
        bool visible = false;
        bool touched = false;
        float shown = 0.0f;
        vector3 position;
        float rotation = 0.0f;
    };

    void watchShips(float dt, const ZEBGameStateCollector& collector);
    int shooterRow(const ZEBGameStateCollector& collector, int bullet) const;

    std::vector<ZEBScorePopup> m_popups;
    bool m_scoreKnown = false;
    int m_score = 0;
    int m_scoreRowID = -1;
    std::string m_shooter;
    colour4 m_shooterColour;
    float m_shooterAge = 0.0f;
    std::vector<ShipSeen> m_ships; // by element index
};
