#include "game/server/zebgamestategame.h"

#include "core/random.h"
#include "game/rules/zebobject.h"
#include "networklib/networkmessage.h"

#include <algorithm>
#include <cmath>

namespace {

int firstOrZero(const std::vector<int32_t>& list) {
    return list.empty() ? 0 : list.front();
}

} // namespace

// The players' colours read on the navy background (a contrast ratio of at
// least 4.5 to 1), stay apart for players with red-green colour blindness,
// and are saturated, so ships stand out from the pastel asteroids: purple,
// sky blue, red, green, yellow, turquoise, orange and pink.
ZEBGameStateGame::ZEBGameStateGame()
    : m_colours{colour4(0.65f, 0.3f, 1.0f, 1.0f),  colour4(0.05f, 0.75f, 0.95f, 1.0f),
                colour4(0.9f, 0.25f, 0.15f, 1.0f), colour4(0.0f, 0.75f, 0.4f, 1.0f),
                colour4(1.0f, 1.0f, 0.0f, 1.0f),   colour4(0.0f, 0.9f, 0.75f, 1.0f),
                colour4(1.0f, 0.6f, 0.05f, 1.0f),  colour4(0.85f, 0.25f, 0.65f, 1.0f)},
      m_colourUsed(PLAYER_COLOUR_COUNT, false) {}

void ZEBGameStateGame::setAsteroids(int count, float speed) {
    m_numberOfAsteroids = count;
    m_asteroidSpeed = speed;
}

void ZEBGameStateGame::sortObjects(std::vector<ZEBObject>& objects) {
    for (int i = 0; i < static_cast<int>(objects.size()); ++i) {
        float radius = 0.0f;
        for (int v = 0; v < objects[i].getNumVertices(); ++v)
            radius =
                std::max(radius, std::hypot(objects[i].getVertices()[v].x, objects[i].getVertices()[v].y));
        // A shape without an edge can hit nothing (the collision test needs one).
        m_shapeRadii.push_back(objects[i].getNumVertices() < 2 ? SHAPE_WITHOUT_EDGE : radius);
        switch (objects[i].getType()) {
        case TYPE_ASTEROID:
            m_asteroidObjects.push_back(i);
            break;
        case TYPE_PLAYER:
            m_playerObjects.push_back(i);
            break;
        case TYPE_BULLET:
            m_bulletObjects.push_back(i);
            break;
        default:
            break;
        }
    }
}

int ZEBGameStateGame::chooseColour() {
    int index = 0;
    do {
        index = static_cast<int>(random15() / static_cast<double>(RANDOM_MAX) * (PLAYER_COLOUR_COUNT - 1));
    } while (m_colourUsed[index]);
    m_colourUsed[index] = true;
    return index;
}

int ZEBGameStateGame::addPlayer(uint32_t playerID, const char* name) {
    const int place = addPlace(chooseColour(), name);
    findPlayer(playerID);
    return m_players[place].shipID;
}

int ZEBGameStateGame::addPlace(int colourIndex, const char* name) {
    const colour4 colour = m_colours[colourIndex];
    const int place = getPlayerCount();

    ZEBGameStateElement ship;
    ship.initialise(getElementCount(), spawnPoint(place), spawnRotation(place), ZERO, SHIP_SCALE, TYPE_PLAYER,
                    firstOrZero(m_playerObjects), colour, isSpawnClear(place));
    m_elements.push_back(ship);

    PlayerRecord record;
    record.shipID = getElementCount() - 1;

    colour4 bulletColour = colour;
    bulletColour.r *= 0.5f;
    bulletColour.g *= 0.5f;
    bulletColour.b *= 0.5f;
    for (int slot = 0; slot < BULLETS_PER_PLAYER; ++slot) {
        ZEBGameStateElement bullet;
        bullet.initialise(getElementCount(), ZERO, 0.0f, ZERO, BULLET_SCALE, TYPE_BULLET,
                          firstOrZero(m_bulletObjects), bulletColour, false);
        record.bulletIDs[slot] = getElementCount();
        record.bulletAges[slot] = BULLET_AGE_EXPIRED;
        m_elements.push_back(bullet);
    }

    copyPlayerName(record.name, name);
    copyPlayerName(record.joinedName, name);
    record.connected = true;
    record.stateCheck.restart(spawnPoint(place));
    record.untouched = true;
    m_players.push_back(record);
    return place;
}

// A newcomer in a game whose places have all been used takes over the place
// of a player who left: ship, bullets and colour, with its own name and a new
// score, so the element list stays bounded however many come and go. A place
// kept for this player keeps its score.
int ZEBGameStateGame::takeOverPlace(int index, uint32_t playerID, const char* name) {
    m_playerIDs[index] = playerID;
    PlayerRecord& player = m_players[index];
    const PlayerRecord fresh;
    player.input = fresh.input;
    player.fireTimer = fresh.fireTimer;
    const bool keepsScore = player.reserved || player.returnWait > 0.0f;
    player.score = keepsScore ? player.score : fresh.score;
    player.respawnTimer = fresh.respawnTimer;
    player.watcherID = fresh.watcherID;
    player.returnWait = fresh.returnWait;
    copyPlayerName(player.name, name);
    copyPlayerName(player.joinedName, name);
    player.connected = true;
    player.stateCheck.restart(spawnPoint(index));
    player.reserved = false;
    player.formerRow = -1;
    player.untouched = true;

    ZEBGameStateElement& ship = m_elements[player.shipID];
    ship.initialise(player.shipID, spawnPoint(index), spawnRotation(index), ZERO, SHIP_SCALE, TYPE_PLAYER,
                    firstOrZero(m_playerObjects), ship.getColour(), false);
    ship.setVisible(isSpawnClear(index));
    for (int slot = 0; slot < BULLETS_PER_PLAYER; ++slot) {
        player.bulletAges[slot] = BULLET_AGE_EXPIRED;
        m_elements[player.bulletIDs[slot]].setVisible(false);
    }
    return player.shipID;
}

int ZEBGameStateGame::getConnectedPlayerCount() const {
    int count = 0;
    for (const PlayerRecord& player : m_players)
        count += player.connected ? 1 : 0;
    return count;
}

void ZEBGameStateGame::takeRefusals(std::vector<PlayerRefusal>& refusals) {
    refusals.swap(m_refusals);
    m_refusals.clear();
}

int ZEBGameStateGame::findPlayer(uint32_t playerID) {
    const int index = lookupPlayer(playerID);
    if (index >= 0)
        return index;
    m_playerIDs.push_back(playerID);
    return static_cast<int>(m_playerIDs.size()) - 1;
}

int ZEBGameStateGame::lookupPlayer(uint32_t playerID) const {
    for (int i = 0; i < static_cast<int>(m_playerIDs.size()); ++i) {
        if (m_playerIDs[i] == playerID)
            return i;
    }
    return -1;
}

void ZEBGameStateGame::tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received,
                            messageQueue& toSend) {
    tick(dt, objects, received, {}, toSend);
}

void ZEBGameStateGame::tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received,
                            const std::vector<networkEvent>& events, messageQueue& toSend) {
    // The players' copies fly through the whole pause, so their reports are
    // checked against the time that really passed.
    for (PlayerRecord& player : m_players)
        player.stateCheck.elapse(dt);
    if (!(dt <= MAX_TICK_STEP)) // also a time that is not a number
        dt = MAX_TICK_STEP;
    m_clock += dt;
    // The copies step what they hold before they read this tick's updates.
    stepGuesses(dt);
    handleMessages(received, events, toSend);
    carryReportedShips(dt);
    updatePending(dt);
    updateReturns(dt);
    updateKeptPlaces(dt);
    updatePlayers(dt, toSend);
    moveElements(dt, toSend);
    collide(objects, dt, toSend);
    broadcast(dt, toSend);
    sendCompactStates(dt, toSend);
}
