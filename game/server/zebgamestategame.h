#pragma once

// game/server: the hosting copy's authoritative game. ZEBGameStateGame keeps
// the elements and the players' places; its tick takes the received messages in
// and gives the messages for every player out, and never touches the network.
// Where a bullet breaks an asteroid: zebgamestategame_simulation.cpp.

#include "core/maths/colour4.h"
#include "core/maths/matrix.h"
#include "core/maths/vector3.h"
#include "game/rules/extensions.h"
#include "game/rules/guessdrift.h"
#include "game/rules/motion.h"
#include "game/rules/playarea.h"
#include "game/rules/protocol.h"
#include "game/rules/zebgamestateelement.h"
#include "game/rules/zebmotionguess.h"
#include "game/server/zebchatgate.h"
#include "game/server/zebchatlimit.h"
#include "game/server/zebcompactpeer.h"
#include "game/server/zebcompactuplinkreader.h"
#include "game/server/zebshipstatecheck.h"
#include "networklib/networkevent.h"

#include <cstdint>
#include <string>
#include <vector>

class ZEBObject;
class messageQueue;
class networkMessage;

constexpr int MAX_PLAYERS = 8; // players connected at once; a place that is left is taken again
constexpr int PLAYER_COLOUR_COUNT = 8;
constexpr int BULLETS_PER_PLAYER = 2;
constexpr int MAX_REGULAR_UPDATES = 4;     // heartbeats of asteroids and bullets per tick
constexpr float HEARTBEAT_INTERVAL = 1.0f; // every other visible element is sent at least this often
constexpr float STATS_INTERVAL = 1.0f;     // first score table after one second, then at least this often
constexpr float STATS_MIN_INTERVAL = 0.5f; // a changed table waits until this long after the last

// True when a copy's guess of an element is further off than a player can see.
bool isGuessOff(const ZEBGameStateElement& guess, const ZEBGameStateElement& truth);

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
// A connection that has not asked to join by then holds a transport slot for
// nothing; the host drops it.
constexpr float JOIN_WAIT_LIMIT = 5.0f;
// A place kept for a player of the game before this one waits this long for
// its owner: the party's copies come back within seconds of a lost host, and
// a newcomer is never given another's place (and score) meanwhile. A place
// still kept then is let go, shown as a player who left.
constexpr float KEPT_PLACE_LIMIT = 30.0f;
// Connections waiting to join that the game keeps track of; the transport
// never has more peers than this.
constexpr int MAX_PENDING_CONNECTIONS = 64;

// A player who has left keeps its row under its name followed by this.
constexpr char DISCONNECTED_SUFFIX[] = " [Disconnected]";
// A player who left to watch the game (it joined again as a watcher under the
// same name) keeps its place, colour and score under its name followed by
// this, for when it comes back as a player.
constexpr char WATCHING_SUFFIX[] = " (watching)";
// Between a copy's watching and its playing again, its watcher's connection
// goes before the new one asks to join: the place waits this long for it.
constexpr float WATCH_RETURN_WAIT = 5.0f;

// Why the game wants the transport to drop a connection.
enum class refusalReason { gameFull, noJoinRequest };

struct PlayerRefusal {
    uint32_t playerID = 0;
    refusalReason reason = refusalReason::gameFull;
};

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

// A copy that watches the game without a ship: it sees everything, takes none
// of the players' places and can chat.
struct WatcherRecord {
    uint32_t playerID = 0;
    char name[PLAYER_NAME_SIZE] = {};
    uint32_t capabilities = 0;
    ZEBChatLimit chatLimit;
};

// Chat lines kept for the host's own output between two takes; older ones go first.
constexpr int MAX_CHAT_LOG = 64;

// The authoritative game of the hosting process. tick is its one entry point:
// received messages and the transport's events in, messages to send out,
// nothing touches the network.
class ZEBGameStateGame {
  public:
    ZEBGameStateGame();

    // Set-up from the level.
    void setAsteroids(int count, float speed);
    void sortObjects(std::vector<ZEBObject>& objects);
    void createAsteroids();

    // One step of dt seconds: the five phases in order. events are the
    // transport's, each in its place among the received messages.
    void tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received,
              const std::vector<networkEvent>& events, messageQueue& toSend);
    // A step in which the transport reported nothing.
    void tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received, messageQueue& toSend);
    void idle() const {} // the host is gone: the game is no longer stepped

    // Players.
    int addPlayer(uint32_t playerID, const char* name); // returns the new ship's id
    // Before anyone joins a game that goes on from a lost one: every player
    // of that game's last score table keeps its place (its colour and spawn
    // point) and its score, for when it joins under the same name (and, when
    // its copy says which row was its own, the same row).
    void reservePlaces(const std::vector<PlayerStats>& formerTable);
    // The game moves to a bigger one at move: the copies that understand are told.
    void tellGameMove(const GameMove& move, messageQueue& toSend) const;
    // While a smaller game is seen that should move here, the places of its
    // table are kept when its host's copy brings them (MSG_PLACES_FOLLOW).
    void setTakingMovingGames(bool taking) { m_takingMovingGames = taking; }
    int findPlayer(uint32_t playerID); // registers an id it has not seen
    void handleMessages(messageQueue& received, const std::vector<networkEvent>& events,
                        messageQueue& toSend);
    int getConnectedPlayerCount() const;
    // Connections the transport should drop (a full game, no join request in
    // time), gathered since the last call.
    void takeRefusals(std::vector<PlayerRefusal>& refusals);
    // Ship states refused since the game began: a ship cannot have got there.
    uint64_t getRefusedStateCount() const { return m_refusedStates; }

    // Chat. A line from the host itself (its operator) to every player whose
    // copy understands chat; text as makeChatText leaves it.
    void say(const std::string& text, messageQueue& toSend);
    // The lines relayed since the last take, for the host's own output.
    void takeChatLines(std::vector<ChatLine>& lines);

    // Watchers.
    int getWatcherCount() const { return static_cast<int>(m_watchers.size()); }
    const WatcherRecord& getWatcher(int index) const { return m_watchers[index]; }

    // Simulation phases.
    void updatePlayers(float dt, messageQueue& toSend);
    void moveElements(float dt, messageQueue& toSend);
    void collide(std::vector<ZEBObject>& objects, float dt, messageQueue& toSend);
    void newRound(messageQueue& toSend);
    void broadcast(float dt, messageQueue& toSend);

    // Message builders.
    void sendFullState(networkMessage& message, int shipID) const;
    void sendElementUpdate(int id, messageQueue& toSend);
    void sendElementUpdate(int id, bool guaranteed, messageQueue& toSend);
    void sendExplosion(int id, float duration, messageQueue& toSend);
    void sendPlayerStats(messageQueue& toSend) const;
    networkMessage writeStats() const;

    // Read access for the shell, tests and benchmarks.
    int getElementCount() const { return static_cast<int>(m_elements.size()); }
    const ZEBGameStateElement& getElement(int id) const { return m_elements[id]; }
    int getPlayerCount() const { return static_cast<int>(m_players.size()); }
    const PlayerRecord& getPlayer(int index) const { return m_players[index]; }
    // The connection that holds a place, or last held it; 0 for a place kept for a player not back yet.
    uint32_t getPlayerID(int index) const {
        return index < static_cast<int>(m_playerIDs.size()) ? m_playerIDs[index] : 0;
    }
    const colour4& getPlayerColour(int index) const { return m_colours[index]; }
    bool isColourUsed(int index) const { return m_colourUsed[index]; }
    int getNumberOfAsteroids() const { return m_numberOfAsteroids; }
    float getAsteroidSpeed() const { return m_asteroidSpeed; }
    float getStatsCountdown() const { return m_statsCountdown; }
    int getCompactPeerCount() const { return static_cast<int>(m_compactPeers.size()); }
    vector3 spawnPoint(int place) const;  // where the ship of that place appears
    float spawnRotation(int place) const; // facing away from the centre

  private:
    friend struct ZEBGameStateGameAccess; // scenario tests place elements and players directly

    struct PendingConnection {
        uint32_t playerID = 0;
        float waited = 0.0f; // seconds since the transport reported it
    };

    int lookupPlayer(uint32_t playerID) const;                         // index of an admitted player, or -1
    int addPlace(int colourIndex, const char* name);                   // returns the place
    int takeOverPlace(int place, uint32_t playerID, const char* name); // returns the ship's id
    // The place kept for a joiner of that name that says formerRow was its own
    // (-1: says nothing); -1 when none waits for it.
    int reservedPlaceFor(const char* name, int formerRow) const;
    void updateKeptPlaces(float dt); // lets go of places kept too long
    // Keeps a place for each row of table that had not left, while places
    // remain; a row whose colour is taken gets another (anyColour) or none.
    void keepPlaces(const std::vector<PlayerStats>& table, bool anyColour);
    void handlePlacesFollow(const networkMessage& message);
    int freePlace() const; // a place nobody holds; reserved ones last
    void refuse(uint32_t playerID, refusalReason reason);
    void forgetPending(uint32_t playerID);
    void updatePending(float dt);
    void handleEvent(const networkEvent& event, messageQueue& toSend);
    void handleMessage(const networkMessage& message, messageQueue& toSend);
    void handlePlayerJoined(uint32_t playerID);
    void handleJoinRequest(const networkMessage& message, messageQueue& toSend);
    void handlePlayerLeft(uint32_t playerID, messageQueue& toSend);
    void handlePlayerInput(const networkMessage& message);
    void handlePlayerState(const networkMessage& message);
    // A ship state its player reported, checked and taken; false when refused.
    bool adoptShipState(int index, ZEBGameStateElement ship);
    void handleChatSay(const networkMessage& message, messageQueue& toSend);
    void relayChat(const ChatLine& line, messageQueue& toSend);
    void sendChatTo(uint32_t playerID, uint32_t capabilities, const ChatLine& line,
                    messageQueue& toSend) const;
    int lookupWatcher(uint32_t playerID) const; // -1 when that connection does not watch
    void admitWatcher(uint32_t playerID, const char* name, uint32_t capabilities, messageQueue& toSend);
    bool dropWatcher(uint32_t playerID, messageQueue& toSend); // false: it was no watcher
    // The place a watcher's player left, kept while it watches and for a
    // while after; -1 when none.
    int placeLeftBy(const char* watcherName) const;
    int placeReturningTo(const char* name) const;
    void updateReturns(float dt);
    void labelRow(PlayerRecord& player, const char* suffix); // its name followed by suffix
    void sendCapabilities(uint32_t playerID, uint32_t capabilities, messageQueue& toSend) const;
    // The names of the watchers, to every copy that shows them, or to one.
    void sendWatchers(messageQueue& toSend) const;
    void sendWatchersTo(uint32_t playerID, uint32_t capabilities, messageQueue& toSend) const;
    // Every connection that plays or watches, with what its copy understands.
    struct Listener {
        uint32_t playerID = 0;
        uint32_t capabilities = 0;
    };
    std::vector<Listener> getListeners() const;

    float elementRadius(int id) const;
    bool isSpawnClear(int place) const;
    void placeShip(int place, messageQueue& toSend);
    int chooseColour();
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
    void sendRegularUpdates(messageQueue& toSend);
    void sendShipUpdates(float dt, messageQueue& toSend);
    void sendCorrections(messageQueue& toSend);
    void sendShots(messageQueue& toSend);
    void trackGuesses(); // a guess for every element the copies know
    void stepGuesses(float dt);
    void noteSent(int id); // the copies now hold the element as it is
    void sendStatsWhenDue(float dt, messageQueue& toSend);

    // The compact stream (zebgamestategame_compact.cpp).
    void addCompactPeer(uint32_t playerID); // a player that has just been sent the full state
    void removeCompactPeer(uint32_t playerID);
    bool isCompactPeer(uint32_t playerID) const;
    bool hasDesignReaders() const; // a player reads the game's own state messages
    void handleCompactAck(const networkMessage& message);
    void acknowledgeCompact(uint32_t playerID, const CompactAck& ack);
    void handleCompactReport(const networkMessage& message);
    void carryReportedShips(float dt); // between their copies' reports
    void sendCompactStates(float dt, messageQueue& toSend);
    void routeDesignState(messageQueue& toSend) const;
    void sendCompactTables(messageQueue& toSend);
    std::vector<CompactScore> compactScores() const;
    std::vector<ShipControls> shipControls() const;

    std::vector<colour4> m_colours;
    std::vector<bool> m_colourUsed;
    std::vector<ZEBGameStateElement> m_elements;
    std::vector<PlayerRecord> m_players;
    std::vector<uint32_t> m_playerIDs;
    int32_t m_numberOfAsteroids = 0;
    float m_asteroidSpeed = 0.0f;
    std::vector<int32_t> m_playerObjects;
    std::vector<int32_t> m_bulletObjects;
    std::vector<int32_t> m_asteroidObjects;
    std::vector<float> m_shapeRadii;                   // per level shape: its farthest vertex from the origin
    static constexpr float SHAPE_WITHOUT_EDGE = -1.0f; // its radius: nothing to keep clear of
    float m_statsCountdown = STATS_INTERVAL;
    bool m_statsStarted = false;      // the first table has gone out
    std::vector<uint8_t> m_lastStats; // the payload of the last table sent
    float m_statsSinceSent = 0.0f;
    std::vector<bool> m_hiddenShipAnnounced; // per player: its hidden ship's update has gone out guaranteed
    std::vector<PlayerInput> m_motionInputs; // per player: the input of the last broadcast
    std::vector<int> m_shotsFired;           // bullets fired this tick, announced with its broadcast
    std::vector<float> m_controlRepeats;     // per player: until its ship's change of controls goes again
    static constexpr float NO_REPEAT = -1.0e9f;
    std::vector<ZEBMotionGuess> m_copyGuesses; // per element: how the players' copies carry it on
    std::vector<ZEBMotionGuess> m_observed;    // per ship: fed every tick, the controls it holds now
    std::vector<matrix> m_worldTransforms;     // collide's scratch: positions do not change while it tests
    std::vector<PendingConnection> m_pending;
    std::vector<PlayerRefusal> m_refusals;
    uint64_t m_refusedStates = 0;
    double m_clock = 0.0;         // seconds the game has been stepped
    float m_keptPlacesFor = 0.0f; // seconds the places of the game before have been kept
    bool m_takingMovingGames = false;
    std::vector<uint32_t> m_placesBrought; // connections that brought a moving game's places
    std::vector<ChatLine> m_chatLog;
    ZEBChatGate m_chatGate;
    std::vector<WatcherRecord> m_watchers;
    std::vector<ZEBCompactPeer> m_compactPeers;
    std::vector<Explosion> m_tickExplosions; // this tick's, for the compact stream
    std::vector<uint32_t> m_changeCounts;    // per element: updates the game has sent of it
    uint32_t m_compactTicks = 0;
    ZEBCompactShipGuesses m_shipGuesses;
    bool m_designIdle = false; // the game's own guesses were left alone: nobody read them
};
