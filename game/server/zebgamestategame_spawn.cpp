#include "game/server/zebgamestategame.h"

#include "networklib/networkmessage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float DEGREES_PER_PLACE = 360.0f / MAX_PLAYERS;

// How close an element comes to point within the grace time, moving as
// elements do (by -v·dt), measured across the wrapping play area.
float closestApproach(const ZEBGameStateElement& element, const vector3& point) {
    const float dx = wrapPlayArea(element.getPosition().x - point.x);
    const float dy = wrapPlayArea(element.getPosition().y - point.y);
    const float vx = element.getVelocity().x;
    const float vy = element.getVelocity().y;
    const float speedSquared = vx * vx + vy * vy;
    float t = speedSquared > 0.0f ? (dx * vx + dy * vy) / speedSquared : 0.0f;
    t = std::clamp(t, 0.0f, SPAWN_GRACE_TIME);
    return std::hypot(dx - vx * t, dy - vy * t);
}

} // namespace

vector3 ZEBGameStateGame::spawnPoint(int place) const {
    const double radians = (place % MAX_PLAYERS) * DEGREES_PER_PLACE * std::numbers::pi / 180.0;
    return vector3(static_cast<float>(SPAWN_RING_RADIUS * std::cos(radians)),
                   static_cast<float>(SPAWN_RING_RADIUS * std::sin(radians)), 0.0f);
}

// A ship travels along (cos r, -sin r) for rotation r: facing away from the
// centre at angle a takes r = -a.
float ZEBGameStateGame::spawnRotation(int place) const {
    const float rotation = -(place % MAX_PLAYERS) * DEGREES_PER_PLACE;
    return rotation < 0.0f ? rotation + 360.0f : rotation;
}

float ZEBGameStateGame::elementRadius(int id) const {
    const ZEBGameStateElement& element = m_elements[id];
    const int shape = element.getObjectID();
    const float radius =
        shape >= 0 && shape < static_cast<int>(m_shapeRadii.size()) ? m_shapeRadii[shape] : 1.0f;
    return radius * element.getScale();
}

bool ZEBGameStateGame::isSpawnClear(int place) const {
    const vector3 point = spawnPoint(place);
    const int ownShip = place < getPlayerCount() ? m_players[place].shipID : -1;
    const float shipRadius =
        m_playerObjects.empty() || m_playerObjects.front() >= static_cast<int>(m_shapeRadii.size())
            ? SHIP_SCALE
            : m_shapeRadii[m_playerObjects.front()] * SHIP_SCALE;
    for (int id = 0; id < getElementCount(); ++id) {
        const ZEBGameStateElement& element = m_elements[id];
        if (id == ownShip || !element.isVisible() || elementRadius(id) < 0.0f)
            continue;
        if (!(closestApproach(element, point) > elementRadius(id) + shipRadius + SPAWN_MARGIN))
            return false;
    }
    return true;
}

void ZEBGameStateGame::placeShip(int place, messageQueue& toSend) {
    ZEBGameStateElement& ship = m_elements[m_players[place].shipID];
    ship.setPosition(spawnPoint(place));
    ship.setRotation(spawnRotation(place));
    ship.setVelocity(ZERO);
    ship.setVisible(true);
    m_players[place].stateCheck.restart(ship.getPosition());
    m_players[place].untouched = true;
    // Sure to arrive: the copies would otherwise miss the ship until its heartbeat.
    sendElementUpdate(m_players[place].shipID, true, toSend);
}

void ZEBGameStateGame::respawnShip(int place, float dt, messageQueue& toSend) {
    PlayerRecord& player = m_players[place];
    player.respawnTimer -= dt;
    if (player.respawnTimer > 0.0f || !isSpawnClear(place))
        return;
    placeShip(place, toSend);
}
