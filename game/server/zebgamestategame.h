#pragma once

// game/server: the hosting copy's simulation. ZEBGameStateGame keeps the
// elements and the players' places and moves them; who holds a place, what the
// players are sent and their chat are the hosted game's other parts
// (zebhostedgamestate.h). Where a bullet breaks an asteroid:
// zebgamestategame_simulation.cpp.

#include "core/maths/colour4.h"
#include "core/maths/matrix.h"
#include "core/maths/vector3.h"
#include "game/rules/compactreport.h"
#include "game/rules/extensions.h"
#include "game/rules/guessdrift.h"
#include "game/rules/motion.h"
#include "game/rules/playarea.h"
#include "game/rules/protocol.h"
#include "game/rules/zebgamestateelement.h"
#include "game/server/zebchatlimit.h"
#include "game/server/zebcompactuplinkreader.h"
#include "game/server/zebshipstatecheck.h"

#include <cstdint>
#include <string>
#include <vector>

class ZEBObject;
class messageQueue;
class networkMessage;

constexpr int MAX_PLAYERS = 8; // players connected at once; a place that is left is taken again
constexpr int PLAYER_COLOUR_COUNT = 8;
constexpr int BULLETS_PER_PLAYER = 2;

constexpr float LARGE_ASTEROID_SCALE = 2.5f;
constexpr float MEDIUM_ASTEROID_SCALE = 0.875f;  // 2.5 * 0.35
constexpr float SMALL_ASTEROID_SCALE = 0.30625f; // 2.5 * 0.35 * 0.35
constexpr int ELEMENTS_PER_FAMILY = 7;           // one large, two medium, four small

constexpr float BULLET_AGE_EXPIRED = 50.0f;
constexpr float FIRE_INTERVAL = 0.25f;
constexpr float FIRE_TIMER_START = 4.0f;
constexpr float RESPAWN_DELAY = 2.5f;

constexpr float SHIP_EXPLOSION_TIME = 0.3f;
constexpr float BULLET_EXPLOSION_TIME = 0.1f;
constexpr float ASTEROID_EXPLOSION_TIME = 0.16f;

constexpr int SCORE_ASTEROID_BROKEN = 5;
constexpr int SCORE_HIT_BY_ASTEROID = -5;
constexpr int SCORE_HIT_BY_BULLET = -10;

// Each place has a spawn point of its own on a ring round the centre, the ship
// facing outwards, so that ships never appear inside each other or in each
// other's line of fire; a ship appears only when nothing could reach it within
// the grace time, and waits otherwise.
constexpr float SPAWN_RING_RADIUS = 2.5f;
constexpr float SPAWN_GRACE_TIME = 1.0f;
constexpr float SPAWN_MARGIN = 0.25f;

// A stalled host (a dragged window, a suspended machine) must not move the
// game by the whole pause in one step: every ship would die at once.
constexpr float MAX_TICK_STEP = 0.25f;
// One place of the game: kept after its player leaves, until a newcomer takes it over.
struct PlayerRecord {
    PlayerInput input;
    int32_t shipID = 0;
    int32_t bulletIDs[BULLETS_PER_PLAYER] = {0, 0};
    float bulletAges[BULLETS_PER_PLAYER] = {BULLET_AGE_EXPIRED, BULLET_AGE_EXPIRED};
    float fireTimer = FIRE_TIMER_START;
    int32_t score = 0;
    float respawnTimer = 0.0f;
    char name[PLAYER_NAME_SIZE] = {};
    bool connected = true;
    ZEBShipStateCheck stateCheck;  // where the player's reports may put its ship
    ZEBCompactUplinkReader uplink; // carries the ship on between its copy's compact reports
    bool reserved = false;         // kept for a player of the game before this one, until it joins
    bool untouched = false;    // nothing has hit the ship since it appeared, nor will until its player acts
    int formerRow = -1;        // while reserved: its row in that game's last score table
    uint32_t capabilities = 0; // the extensions its copy understands and was told the host shares
    ZEBChatLimit chatLimit;
    char joinedName[PLAYER_NAME_SIZE] = {}; // the name its player joined under
    double leftAt = 0.0;                    // the game's clock when its player left
    uint32_t watcherID = 0;                 // the connection that watches in its player's name; 0: none
    float returnWait = 0.0f;                // seconds it still waits for that watcher to play again
};

// An element as an update told the copies of it.
struct SentElement {
    int id = 0;
    ZEBGameStateElement element;
};

// The game itself: the elements, the players' places, and the phases that
// move them. Every update it sends is kept until the broadcasts take it, so
// they learn what the copies were told, as it was told.
class ZEBGameStateGame {
  public:
    // Set-up from the level.
    void setAsteroids(int count, float speed);
    void sortObjects(std::vector<ZEBObject>& objects);
    void createAsteroids();

    // The start of a step of dt seconds: the clock, and the step the game takes.
    float elapse(float dt);
    // The simulation's phases of a step, in order.
    void step(float dt, std::vector<ZEBObject>& objects, messageQueue& toSend);

    // Places. A new one, with its ship and bullets in colour; returns the place.
    int addPlace(const colour4& colour, const char* name);
    // A place taken over by a newcomer; returns its ship's id.
    int takeOverPlace(int place, const char* name);
    // Its player left: the ship is hidden and the copies told.
    void leavePlace(int place, messageQueue& toSend);

    // What the players report; place is -1 for a connection without one.
    void handlePlayerInput(int place, const networkMessage& message);
    void handlePlayerState(int place, const networkMessage& message);
    // A compact report stands for the input and the ship's state of the
    // game's own messages, and holds until the next one. False when it was
    // not read: no place, or a copy that was not told it may report.
    bool handleCompactReport(int place, const networkMessage& message, CompactReport* report);
    void carryReportedShips(float dt); // between their copies' reports
    // Ship states refused since the game began: a ship cannot have got there.
    uint64_t getRefusedStateCount() const { return m_refusedStates; }

    // Simulation phases.
    void updatePlayers(float dt, messageQueue& toSend);
    void moveElements(float dt, messageQueue& toSend);
    void collide(std::vector<ZEBObject>& objects, float dt, messageQueue& toSend);
    void newRound(messageQueue& toSend);

    // Message builders.
    void sendFullState(networkMessage& message, int shipID) const;
    void sendNewElement(int id, messageQueue& toSend);
    void sendElementUpdate(int id, messageQueue& toSend);
    void sendElementUpdate(int id, bool guaranteed, messageQueue& toSend);
    void sendExplosion(int id, float duration, messageQueue& toSend);
    networkMessage writeStats() const;

    // What the game told the copies, for the broadcasts.
    // The elements as they were sent, since the last take.
    void takeSentElements(std::vector<SentElement>& sent);
    // Bullets fired since the last take, to be announced once they have moved.
    void takeShotsFired(std::vector<int>& shots);
    // Per element: updates the game has sent of it.
    const std::vector<uint32_t>& getChangeCounts();
    const std::vector<Explosion>& getTickExplosions() const { return m_tickExplosions; }
    void clearTickExplosions() { m_tickExplosions.clear(); }

    // Read access for the shell, tests and benchmarks.
    double getClock() const { return m_clock; }
    const std::vector<ZEBGameStateElement>& getElements() const { return m_elements; }
    int getElementCount() const { return static_cast<int>(m_elements.size()); }
    const ZEBGameStateElement& getElement(int id) const { return m_elements[id]; }
    int getPlayerCount() const { return static_cast<int>(m_players.size()); }
    int getConnectedPlayerCount() const;
    const PlayerRecord& getPlayer(int index) const { return m_players[index]; }
    PlayerRecord& getPlayer(int index) { return m_players[index]; }
    ZEBGameStateElement& getElement(int id) { return m_elements[id]; }
    int getNumberOfAsteroids() const { return m_numberOfAsteroids; }
    float getAsteroidSpeed() const { return m_asteroidSpeed; }
    vector3 spawnPoint(int place) const;  // where the ship of that place appears
    float spawnRotation(int place) const; // facing away from the centre
    bool isSpawnClear(int place) const;

  private:
    // A ship state its player reported, checked and taken; false when refused.
    bool adoptShipState(int place, ZEBGameStateElement ship);
    float elementRadius(int id) const;
    void placeShip(int place, messageQueue& toSend);
    int randomShape() const;
    void addAsteroidFragment(const vector3& position, const colour4& colour, float scale);
    void updateBullets(PlayerRecord& player, float dt, messageQueue& toSend);
    void fireBullet(PlayerRecord& player);
    void respawnShip(int place, float dt, messageQueue& toSend);
    bool collideShip(std::vector<ZEBObject>& objects, PlayerRecord& player, int other, float dt,
                     std::vector<int>& asteroidsToExplode, messageQueue& toSend);
    void collideBullets(std::vector<ZEBObject>& objects, PlayerRecord& player, int asteroid, float dt,
                        std::vector<int>& asteroidsToExplode, messageQueue& toSend);
    bool testHit(std::vector<ZEBObject>& objects, int moving, int other, float dt) const;
    void destroyShip(PlayerRecord& player, int scoreChange, messageQueue& toSend);
    void explodeAsteroids(const std::vector<int>& asteroidsToExplode, messageQueue& toSend);
    bool anyAsteroidVisible() const;

    std::vector<ZEBGameStateElement> m_elements;
    std::vector<PlayerRecord> m_players;
    int32_t m_numberOfAsteroids = 0;
    float m_asteroidSpeed = 0.0f;
    std::vector<int32_t> m_playerObjects;
    std::vector<int32_t> m_bulletObjects;
    std::vector<int32_t> m_asteroidObjects;
    std::vector<float> m_shapeRadii;                   // per level shape: its farthest vertex from the origin
    static constexpr float SHAPE_WITHOUT_EDGE = -1.0f; // its radius: nothing to keep clear of
    std::vector<matrix> m_worldTransforms; // collide's scratch: positions do not change while it tests
    uint64_t m_refusedStates = 0;
    double m_clock = 0.0;                    // seconds the game has been stepped
    std::vector<SentElement> m_sentElements; // since the broadcasts last took them
    std::vector<int> m_shotsFired;           // bullets fired this tick, announced with its broadcast
    std::vector<Explosion> m_tickExplosions; // this tick's, for the compact stream
    std::vector<uint32_t> m_changeCounts;    // per element: updates the game has sent of it
};
