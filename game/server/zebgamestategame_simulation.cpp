#include "game/server/zebgamestategame.h"

#include "core/random.h"
#include "game/rules/zebobject.h"
#include "networklib/networkmessage.h"

#include <algorithm>

namespace {

double randomUnit() {
    return random15() / static_cast<double>(RANDOM_MAX);
}

float randomRotation() {
    return static_cast<float>((randomUnit() - 0.5) * 360.0 * 2.0);
}

vector3 randomDirection() {
    vector3 direction;
    direction.randomise(-1.0f, 1.0f);
    direction.z = 0.0f;
    direction.normalise();
    return direction;
}

vector3 scaled(const vector3& v, float factor) {
    vector3 out;
    scale(&v, factor, &out);
    return out;
}

// An asteroid broken earlier in this tick is gone for what comes after: it
// breaks, scores and explodes once however many hit it at the same moment.
bool isListed(const std::vector<int>& asteroidsToExplode, int id) {
    return std::find(asteroidsToExplode.begin(), asteroidsToExplode.end(), id) != asteroidsToExplode.end();
}

// The smaller a piece, the faster it moves: at creation and at every new round.
float pieceSpeedFactor(float scale) {
    return scale == LARGE_ASTEROID_SCALE ? 1.0f : static_cast<float>(1.0 / (2.0 * scale));
}

} // namespace

int ZEBGameStateGame::randomShape() const {
    const int count = static_cast<int>(m_asteroidObjects.size());
    int index = static_cast<int>(randomUnit() * count);
    // A draw of exactly RANDOM_MAX would land one past the list.
    if (index >= count)
        index = count - 1;
    return index < 0 ? 0 : m_asteroidObjects[index];
}

void ZEBGameStateGame::createAsteroids() {
    for (int family = 0; family < m_numberOfAsteroids; ++family) {
        const int first = getElementCount();
        const float rotation = randomRotation();
        colour4 colour;
        colour.randomise(0.5f, 0.75f);
        vector3 position;
        position.randomise(-PLAY_AREA_HALF_WIDTH, PLAY_AREA_HALF_WIDTH);
        position.z = 0.0f;
        const vector3 velocity = scaled(randomDirection(), m_asteroidSpeed);
        const int shape = randomShape();

        ZEBGameStateElement large;
        large.initialise(first, position, rotation, velocity, LARGE_ASTEROID_SCALE, TYPE_ASTEROID, shape,
                         colour, true);
        large.addChild(first + 1);
        large.addChild(first + 2);
        m_elements.push_back(large);

        addAsteroidFragment(position, colour, MEDIUM_ASTEROID_SCALE);
        addAsteroidFragment(position, colour, MEDIUM_ASTEROID_SCALE);
        m_elements[first + 1].addChild(first + 3);
        m_elements[first + 1].addChild(first + 4);
        m_elements[first + 2].addChild(first + 5);
        m_elements[first + 2].addChild(first + 6);
        for (int small = 0; small < 4; ++small)
            addAsteroidFragment(position, colour, SMALL_ASTEROID_SCALE);
    }
}

void ZEBGameStateGame::addAsteroidFragment(const vector3& position, const colour4& colour, float scale) {
    const float rotation = randomRotation();
    const vector3 velocity = scaled(scaled(randomDirection(), pieceSpeedFactor(scale)), m_asteroidSpeed);
    const int shape = randomShape();

    ZEBGameStateElement fragment;
    fragment.initialise(getElementCount(), position, rotation, velocity, scale, TYPE_ASTEROID, shape, colour,
                        false);
    m_elements.push_back(fragment);
}

void ZEBGameStateGame::updatePlayers(float dt, messageQueue& toSend) {
    for (int place = 0; place < getPlayerCount(); ++place) {
        PlayerRecord& player = m_players[place];
        player.fireTimer += dt;
        updateBullets(player, dt, toSend);
        if (m_elements[player.shipID].isVisible()) {
            if (player.input.fire && player.fireTimer >= FIRE_INTERVAL)
                fireBullet(player);
        } else if (player.connected) {
            respawnShip(place, dt, toSend);
        }
    }
}

void ZEBGameStateGame::updateBullets(PlayerRecord& player, float dt, messageQueue& toSend) {
    for (int slot = 0; slot < BULLETS_PER_PLAYER; ++slot) {
        player.bulletAges[slot] += dt;
        const int bullet = player.bulletIDs[slot];
        if (m_elements[bullet].isVisible() && player.bulletAges[slot] >= BULLET_LIFETIME) {
            player.bulletAges[slot] = BULLET_AGE_EXPIRED;
            m_elements[bullet].setVisible(false);
            sendExplosion(bullet, BULLET_EXPLOSION_TIME, toSend);
            sendElementUpdate(bullet, toSend);
        }
    }
}

void ZEBGameStateGame::fireBullet(PlayerRecord& player) {
    player.fireTimer = 0.0f;
    int slot = 0;
    if (!m_elements[player.bulletIDs[1]].isVisible() || player.bulletAges[0] <= player.bulletAges[1])
        slot = 1;

    const ZEBGameStateElement& ship = m_elements[player.shipID];
    const float rotation = ship.getRotation();
    const vector3 direction = scaled(ship.getDirection(), BULLET_SPEED);
    // From the nose, not the centre: a shot never starts inside a ship beside it.
    // The bullet travels against its velocity.
    const float ahead = elementRadius(player.shipID);
    const vector3 travel = ship.getDirection();
    vector3 position(ship.getPosition().x - travel.x * ahead, ship.getPosition().y - travel.y * ahead, 0.0f);
    wrapPlayArea(position);

    player.bulletAges[slot] = 0.0f;
    ZEBGameStateElement& bullet = m_elements[player.bulletIDs[slot]];
    bullet.setPosition(position);
    bullet.setRotation(rotation);
    bullet.setVelocity(direction);
    bullet.setVisible(true);
    // Announced with the tick's broadcast, once the shot has moved with the rest.
    m_shotsFired.push_back(player.bulletIDs[slot]);
}

void ZEBGameStateGame::moveElements(float dt, messageQueue& toSend) {
    for (int id = 0; id < getElementCount(); ++id) {
        ZEBGameStateElement& element = m_elements[id];
        if (!element.isVisible())
            continue;
        element.update(dt);
        vector3 position = element.getPosition();
        if (wrapPlayArea(position)) {
            element.setPosition(position);
            sendElementUpdate(id, toSend);
        }
    }
}

void ZEBGameStateGame::collide(std::vector<ZEBObject>& objects, float dt, messageQueue& toSend) {
    std::vector<int> asteroidsToExplode;
    m_worldTransforms.resize(m_elements.size());
    for (int id = 0; id < getElementCount(); ++id) {
        if (m_elements[id].isVisible()) // only visible elements are tested
            m_worldTransforms[id] = m_elements[id].getWorldTransform();
    }
    for (PlayerRecord& player : m_players) {
        for (int id = 0; id < getElementCount(); ++id) {
            const int type = m_elements[id].getType();
            if (type == TYPE_ASTEROID || type == TYPE_BULLET)
                collideShip(objects, player, id, dt, asteroidsToExplode, toSend);
            if (type == TYPE_ASTEROID && m_elements[id].isVisible() && !isListed(asteroidsToExplode, id))
                collideBullets(objects, player, id, dt, asteroidsToExplode, toSend);
        }
    }
    explodeAsteroids(asteroidsToExplode, toSend);
    if (!anyAsteroidVisible())
        newRound(toSend);
}

bool ZEBGameStateGame::collideShip(std::vector<ZEBObject>& objects, PlayerRecord& player, int other, float dt,
                                   std::vector<int>& asteroidsToExplode, messageQueue& toSend) {
    if (!m_elements[player.shipID].isVisible() || !m_elements[other].isVisible() ||
        isListed(asteroidsToExplode, other))
        return false;
    if (player.untouched)
        return false;
    if (!testHit(objects, player.shipID, other, dt))
        return false;
    if (m_elements[other].getType() == TYPE_ASTEROID) {
        asteroidsToExplode.push_back(other);
        destroyShip(player, SCORE_HIT_BY_ASTEROID, toSend);
        return true;
    }
    if (other == player.bulletIDs[0] || other == player.bulletIDs[1])
        return false;
    m_elements[other].setVisible(false);
    sendExplosion(other, BULLET_EXPLOSION_TIME, toSend);
    sendElementUpdate(other, toSend);
    destroyShip(player, SCORE_HIT_BY_BULLET, toSend);
    return true;
}

void ZEBGameStateGame::destroyShip(PlayerRecord& player, int scoreChange, messageQueue& toSend) {
    m_elements[player.shipID].setVisible(false);
    sendExplosion(player.shipID, SHIP_EXPLOSION_TIME, toSend);
    sendElementUpdate(player.shipID, toSend);
    player.score += scoreChange;
    player.respawnTimer = RESPAWN_DELAY;
}

void ZEBGameStateGame::collideBullets(std::vector<ZEBObject>& objects, PlayerRecord& player, int asteroid,
                                      float dt, std::vector<int>& asteroidsToExplode, messageQueue& toSend) {
    for (int slot = 0; slot < BULLETS_PER_PLAYER; ++slot) {
        const int bullet = player.bulletIDs[slot];
        if (!m_elements[bullet].isVisible() || !testHit(objects, bullet, asteroid, dt))
            continue;
        m_elements[bullet].setVisible(false);
        sendElementUpdate(bullet, toSend);
        sendExplosion(bullet, BULLET_EXPLOSION_TIME, toSend);
        asteroidsToExplode.push_back(asteroid);
        player.score += SCORE_ASTEROID_BROKEN;
        return;
    }
}

bool ZEBGameStateGame::testHit(std::vector<ZEBObject>& objects, int moving, int other, float dt) const {
    const ZEBGameStateElement& a = m_elements[moving];
    const ZEBGameStateElement& b = m_elements[other];
    const int count = static_cast<int>(objects.size());
    const int shapeA = a.getObjectID();
    const int shapeB = b.getObjectID();
    if (shapeA < 0 || shapeA >= count || shapeB < 0 || shapeB >= count)
        return false;
    vector3 relative;
    subtract(&a.getVelocity(), &b.getVelocity(), &relative);
    scale(&relative, dt, &relative);
    return objects[shapeA].testCollision(m_worldTransforms[moving], relative, objects[shapeB],
                                         m_worldTransforms[other]);
}

void ZEBGameStateGame::explodeAsteroids(const std::vector<int>& asteroidsToExplode, messageQueue& toSend) {
    for (const int id : asteroidsToExplode) {
        m_elements[id].setVisible(false);
        sendElementUpdate(id, toSend);
        sendExplosion(id, ASTEROID_EXPLOSION_TIME, toSend);
        const vector3 position = m_elements[id].getPosition();
        for (int c = 0; c < m_elements[id].getNumChildren(); ++c) {
            const int child = m_elements[id].getChild(c);
            if (child < 0 || child >= getElementCount() || m_elements[child].isVisible())
                continue;
            m_elements[child].setVisible(true);
            m_elements[child].setPosition(position);
            sendElementUpdate(child, toSend);
        }
    }
}

bool ZEBGameStateGame::anyAsteroidVisible() const {
    for (const ZEBGameStateElement& element : m_elements) {
        if (element.getType() == TYPE_ASTEROID && element.isVisible())
            return true;
    }
    return false;
}

void ZEBGameStateGame::newRound(messageQueue& toSend) {
    // A player's copy keeps flying a ship that is still alive and passes over
    // any update of it, hiding included: such a ship flies on into the new
    // round where it is, so host and copy never disagree about it.
    for (int id = 0; id < getElementCount(); ++id) {
        ZEBGameStateElement& element = m_elements[id];
        switch (element.getType()) {
        case TYPE_PLAYER:
            break; // a ship that is not flying is placed below, once the new field is laid
        case TYPE_BULLET:
            element.setPosition(ZERO);
            element.setVisible(false);
            break;
        case TYPE_ASTEROID: {
            // Times 1 is exact: a large piece moves as before.
            const vector3 direction =
                scaled(scaled(randomDirection(), pieceSpeedFactor(element.getScale())), m_asteroidSpeed);
            if (element.getScale() != LARGE_ASTEROID_SCALE) {
                element.setVisible(false);
            } else {
                element.setRotation(randomRotation());
                vector3 position;
                position.randomise(-PLAY_AREA_HALF_WIDTH, PLAY_AREA_HALF_WIDTH);
                position.z = 0.0f;
                element.setPosition(position);
                element.setVisible(true);
            }
            element.setVelocity(direction);
            break;
        }
        default:
            break;
        }
        sendElementUpdate(id, toSend);
    }
    for (int place = 0; place < getPlayerCount(); ++place) {
        PlayerRecord& player = m_players[place];
        player.respawnTimer = 0.0f;
        if (player.connected && !m_elements[player.shipID].isVisible() && isSpawnClear(place))
            placeShip(place, toSend);
    }
}
