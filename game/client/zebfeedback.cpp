#include "game/client/zebfeedback.h"

#include "game/client/zebgamestatecollector.h"
#include "game/rules/motion.h"
#include "game/rules/zebobjecttype.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float MOVED = 0.01f; // world units: further than rounding takes a resting ship

} // namespace

void ZEBFeedback::update(float dt, const ZEBGameStateCollector& collector) {
    for (ZEBScorePopup& popup : m_popups)
        popup.age += dt;
    std::erase_if(m_popups, [](const ZEBScorePopup& popup) { return popup.age >= SCORE_POPUP_SECONDS; });
    m_shooterAge += dt;
    if (m_shooterAge >= SHOT_BY_SECONDS)
        m_shooter.clear();
    watchShips(dt, collector);

    for (int row = 0; row < collector.getStatsCount(); ++row) {
        if (!collector.isOwnStatsRow(row))
            continue;
        const int score = collector.getStatsScore(row);
        // A row of another place (a new game, a place taken over) starts afresh.
        const bool sameRow = m_scoreKnown && m_scoreRowID == collector.getStatsID(row);
        if (sameRow && score != m_score) {
            if (static_cast<int>(m_popups.size()) >= MAX_SCORE_POPUPS)
                m_popups.erase(m_popups.begin());
            m_popups.push_back({score - m_score, 0.0f});
        }
        m_score = score;
        m_scoreRowID = collector.getStatsID(row);
        m_scoreKnown = true;
        return;
    }
}

void ZEBFeedback::noteExplosions(const ZEBGameStateCollector& collector, const std::vector<int>& exploded) {
    const int own = collector.getOwnIndex();
    if (std::find(exploded.begin(), exploded.end(), own) == exploded.end())
        return;
    float duration = 0.0f;
    vector3 shipAt;
    float rotation = 0.0f;
    collector.getExplosion(own, duration, shipAt, rotation);
    for (const int bullet : exploded) {
        if (collector.getElementState(bullet).getType() != TYPE_BULLET)
            continue;
        vector3 bulletAt;
        collector.getExplosion(bullet, duration, bulletAt, rotation);
        const float dx = bulletAt.x - shipAt.x;
        const float dy = bulletAt.y - shipAt.y;
        const int row = shooterRow(collector, bullet);
        if (row < 0 || dx * dx + dy * dy > SHOT_REACH * SHOT_REACH)
            continue;
        m_shooter = collector.getStatsName(row);
        m_shooterColour = collector.getStatsColour(row);
        m_shooterAge = 0.0f;
        return;
    }
}

// The row of the place whose ship precedes the bullet; the own bullets never hit the own ship.
int ZEBFeedback::shooterRow(const ZEBGameStateCollector& collector, int bullet) const {
    for (int row = 0; row < collector.getStatsCount(); ++row) {
        const int ship = collector.getStatsID(row);
        if (ship < bullet && bullet - ship <= BULLETS_PER_SHIP && !collector.isOwnStatsRow(row))
            return row;
    }
    return -1;
}

void ZEBFeedback::watchShips(float dt, const ZEBGameStateCollector& collector) {
    m_ships.resize(static_cast<size_t>(collector.getElementCount()));
    for (int index = 0; index < collector.getElementCount(); ++index) {
        const ZEBGameStateElement& ship = collector.getElementState(index);
        ShipSeen& seen = m_ships[static_cast<size_t>(index)];
        if (ship.getType() != TYPE_PLAYER || !ship.isVisible()) {
            seen.visible = false;
            continue;
        }
        if (!seen.visible) {
            seen = ShipSeen{true, false, 0.0f, ship.getPosition(), ship.getRotation()};
            continue;
        }
        seen.shown += dt;
        const float moved =
            std::hypot(ship.getPosition().x - seen.position.x, ship.getPosition().y - seen.position.y);
        bool fired = false;
        for (int bullet = index + 1;
             bullet <= index + BULLETS_PER_SHIP && bullet < collector.getElementCount(); ++bullet)
            fired = fired || collector.getElementState(bullet).isVisible();
        if (moved > MOVED || ship.getRotation() != seen.rotation || fired)
            seen.touched = true;
    }
}

bool ZEBFeedback::isSpared(int index, float& shown) const {
    if (index < 0 || index >= static_cast<int>(m_ships.size()))
        return false;
    const ShipSeen& seen = m_ships[static_cast<size_t>(index)];
    shown = seen.shown;
    return seen.visible && !seen.touched;
}
