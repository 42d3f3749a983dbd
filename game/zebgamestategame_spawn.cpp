#include "game/zebgamestategame.h"

#include "networklib/networkmessage.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float DEGREES_PER_PLACE = 360.0f / MAX_PLAYERS;

// The shortest distance across the wrapping play area.
float wrappedDistance(const vector3& a, const vector3& b) {
    const float dx = std::fabs(wrapPlayArea(a.x - b.x));
    const float dy = std::fabs(wrapPlayArea(a.y - b.y));
    return std::hypot(dx, dy);
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
        if (id == ownShip || !element.isVisible())
            continue;
        const vector3& velocity = element.getVelocity();
        const float reach = std::hypot(velocity.x, velocity.y) * SPAWN_GRACE_TIME;
        if (!(wrappedDistance(element.getPosition(), point) >
              elementRadius(id) + shipRadius + reach + SPAWN_MARGIN))
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
    sendElementUpdate(m_players[place].shipID, toSend);
}

void ZEBGameStateGame::respawnShip(int place, float dt, messageQueue& toSend) {
    PlayerRecord& player = m_players[place];
    player.respawnTimer -= dt;
    if (player.respawnTimer > 0.0f || !isSpawnClear(place))
        return;
    placeShip(place, toSend);
}
