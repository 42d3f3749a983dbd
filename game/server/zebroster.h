#pragma once

// Who is in the game: the connections that hold the players' places, those
// waiting to join, the places kept for players of the game before this one,
// the watchers, and the connections the transport should drop.

#include "core/maths/colour4.h"
#include "game/rules/extensions.h"
#include "game/rules/protocol.h"
#include "game/server/zebchatlimit.h"
#include "game/server/zebgamestategame.h"

#include <cstdint>
#include <vector>

class ZEBCompactBroadcast;
class messageQueue;
class networkMessage;

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

// A copy that watches the game without a ship: it sees everything, takes none
// of the players' places and can chat.
struct WatcherRecord {
    uint32_t playerID = 0;
    char name[PLAYER_NAME_SIZE] = {};
    uint32_t capabilities = 0;
    ZEBChatLimit chatLimit;
};

// A connection that plays or watches, with what its copy understands.
struct Listener {
    uint32_t playerID = 0;
    uint32_t capabilities = 0;
};

// Admission: game is the simulation whose places the roster hands out; a
// copy that takes the compact stream is added to compact as it is admitted.
class ZEBRoster {
  public:
    ZEBRoster();

    int addPlayer(ZEBGameStateGame& game, uint32_t playerID, const char* name); // returns the new ship's id
    // Before anyone joins a game that goes on from a lost one: every player
    // of that game's last score table keeps its place (its colour and spawn
    // point) and its score, for when it joins under the same name (and, when
    // its copy says which row was its own, the same row).
    void reservePlaces(ZEBGameStateGame& game, const std::vector<PlayerStats>& formerTable);
    // The game moves to a bigger one at move: the copies that understand are told.
    void tellGameMove(const ZEBGameStateGame& game, const GameMove& move, messageQueue& toSend) const;
    // While a smaller game is seen that should move here, the places of its
    // table are kept when its host's copy brings them (MSG_PLACES_FOLLOW).
    void setTakingMovingGames(bool taking) { m_takingMovingGames = taking; }
    int findPlayer(uint32_t playerID);          // registers an id it has not seen
    int lookupPlayer(uint32_t playerID) const;  // index of an admitted player, or -1
    int lookupWatcher(uint32_t playerID) const; // -1 when that connection does not watch
    // Connections the transport should drop (a full game, no join request in
    // time), gathered since the last call.
    void takeRefusals(std::vector<PlayerRefusal>& refusals);

    // What the transport and the copies tell.
    void handlePlayerJoined(uint32_t playerID);
    void handleJoinRequest(ZEBGameStateGame& game, ZEBCompactBroadcast& compact,
                           const networkMessage& message, messageQueue& toSend);
    void handlePlayerLeft(ZEBGameStateGame& game, ZEBCompactBroadcast& compact, uint32_t playerID,
                          messageQueue& toSend);
    void handlePlacesFollow(ZEBGameStateGame& game, const networkMessage& message);
    // Waits and kept places run out.
    void update(ZEBGameStateGame& game, float dt);

    int getWatcherCount() const { return static_cast<int>(m_watchers.size()); }
    const WatcherRecord& getWatcher(int index) const { return m_watchers[index]; }
    WatcherRecord& getWatcher(int index) { return m_watchers[index]; }
    // The connection that holds a place, or last held it; 0 for a place kept for a player not back yet.
    uint32_t getPlayerID(int index) const {
        return index < static_cast<int>(m_playerIDs.size()) ? m_playerIDs[index] : 0;
    }
    const colour4& getPlayerColour(int index) const { return m_colours[index]; }
    bool isColourUsed(int index) const { return m_colourUsed[index]; }
    // Every connection that plays or watches, with what its copy understands.
    std::vector<Listener> getListeners(const ZEBGameStateGame& game) const;

  private:
    struct PendingConnection {
        uint32_t playerID = 0;
        float waited = 0.0f; // seconds since the transport reported it
    };

    int chooseColour();
    // The place kept for a joiner of that name that says formerRow was its own
    // (-1: says nothing); -1 when none waits for it.
    int reservedPlaceFor(const ZEBGameStateGame& game, const char* name, int formerRow) const;
    void updateKeptPlaces(ZEBGameStateGame& game, float dt); // lets go of places kept too long
    // Keeps a place for each row of table that had not left, while places
    // remain; a row whose colour is taken gets another (anyColour) or none.
    void keepPlaces(ZEBGameStateGame& game, const std::vector<PlayerStats>& table, bool anyColour);
    int freePlace(const ZEBGameStateGame& game) const; // a place nobody holds; reserved ones last
    void refuse(uint32_t playerID, refusalReason reason);
    void forgetPending(uint32_t playerID);
    void updatePending(float dt);
    void admitWatcher(ZEBGameStateGame& game, ZEBCompactBroadcast& compact, uint32_t playerID,
                      const char* name, uint32_t capabilities, messageQueue& toSend);
    bool dropWatcher(ZEBGameStateGame& game, ZEBCompactBroadcast& compact, uint32_t playerID,
                     messageQueue& toSend); // false: it was no watcher
    // The place a watcher's player left, kept while it watches and for a
    // while after; -1 when none.
    int placeLeftBy(const ZEBGameStateGame& game, const char* watcherName) const;
    int placeReturningTo(const ZEBGameStateGame& game, const char* name) const;
    void updateReturns(ZEBGameStateGame& game, float dt);
    void sendCapabilities(uint32_t playerID, uint32_t capabilities, messageQueue& toSend) const;
    // The names of the watchers, to every copy that shows them, or to one.
    void sendWatchers(const ZEBGameStateGame& game, messageQueue& toSend) const;
    void sendWatchersTo(uint32_t playerID, uint32_t capabilities, messageQueue& toSend) const;

    std::vector<colour4> m_colours;
    std::vector<bool> m_colourUsed;
    std::vector<uint32_t> m_playerIDs;
    std::vector<PendingConnection> m_pending;
    std::vector<PlayerRefusal> m_refusals;
    float m_keptPlacesFor = 0.0f; // seconds the places of the game before have been kept
    bool m_takingMovingGames = false;
    std::vector<uint32_t> m_placesBrought; // connections that brought a moving game's places
    std::vector<WatcherRecord> m_watchers;
};

// A player's row under its joined name followed by suffix.
void labelRow(PlayerRecord& player, const char* suffix);
