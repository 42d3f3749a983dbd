#pragma once

// game/client: one player's picture of the game. ZEBGameStateCollector builds
// it from the host's messages and predicts the own ship (the prediction is in
// zebgamestatecollector_prediction.cpp); beside it the explosion effects, the
// drawing of the line shapes and the computer pilot that plays from the same
// picture.

#include "core/maths/colour4.h"
#include "core/maths/matrix.h"
#include "core/maths/vector3.h"
#include "game/client/zebcompactuplink.h"
#include "game/client/zebremotemotion.h"
#include "game/rules/extensions.h"
#include "game/rules/motion.h"
#include "game/rules/protocol.h"
#include "game/rules/zebgamestateelement.h"

#include <cstdint>
#include <string>
#include <vector>

class messageQueue;
class networkMessage;

// Own-ship prediction under the player's controls.

// What a host can make a client hold. The largest level (64 asteroid families
// of seven) with every player's ship and bullets is under 500 elements, and a
// host admits at most eight players, keeping the rows of those who left.
constexpr int MAX_COLLECTOR_ELEMENTS = 4096; // more would not be a game: refused
constexpr int MAX_STATS_ROWS = 64;           // rows past this are not kept
constexpr int MAX_PENDING_SOUNDS = 32;       // per frame; more would only be noise
constexpr int MAX_PENDING_CHAT = 16;         // lines received between two takes; older ones go
constexpr int MAX_OUTGOING_CHAT = 4;         // lines typed within one frame

// The client's picture of the game, built from the server's messages; it
// predicts the player's own ship and reports it every frame.
class ZEBGameStateCollector {
  public:
    ZEBGameStateCollector() = default;

    void setPlayerName(const std::string& name); // at most 31 characters travel
    // What this copy announces to the next host it joins; OWN_CAPABILITIES unless told.
    void setAnnounced(uint32_t capabilities) { m_announcing = capabilities & OWN_CAPABILITIES; }
    bool hasJoined() const { return m_joined; }
    void reset(); // the connection is lost: back to not joined
    // A replay shows every ship as the host sent it, and all else the
    // recording holds: no ship is predicted as its own, and the extensions'
    // messages are read (the host sent them, so the recording copy shared them).
    void playRecording() {
        m_ownIndex = -1;
        m_sharedCapabilities = OWN_CAPABILITIES;
    }
    // Joins to watch, without a ship: asked in the join request. A host that
    // cannot take watchers gives a ship all the same; the collector then does
    // not join, and says so.
    void setWatching(bool watching) { m_watching = watching; }
    // The own row of the last game's score table, told in the join request
    // so that a host keeping that game's places gives this copy its own; -1: none.
    void setFormerRow(int row) { m_formerRow = row; }
    // Where the host said its game moved; false when it said nothing.
    bool takeGameMove(GameMove& move);
    // The table of the game this copy hosted and moves from, sent once ahead
    // of the first join request (MSG_PLACES_FOLLOW), so that its players keep
    // their scores and colours in the bigger game.
    void bringPlaces(const std::vector<PlayerStats>& table) { m_placesToBring = table; }
    bool isWatching() const { return m_watching; }
    bool wasRefusedWatching() const { return m_refusedWatching; }
    // The names of those who watch the game, as the host last listed them.
    const std::vector<std::string>& getWatchers() const { return m_watchers; }

    void setInput(const PlayerInput& input) { m_input = input; }
    void update(float changeInTime, messageQueue& receivedMessages, messageQueue& messagesToSendOut);

    int getElementCount() const { return static_cast<int>(m_elements.size()); }
    void getElement(int index, bool& visible, int& type, int& objectID, matrix& transform,
                    colour4& colour) const;
    bool isExploding(int index) const { return m_elements[index].isExploding(); }
    void getExplosion(int index, float& duration, vector3& position, float& rotation) const;
    float getElementScale(int index) const { return m_elements[index].getScale(); }
    void clearExplosion(int index) { m_elements[index].clearExplosion(); }
    void takeSounds(std::vector<int32_t>& sounds);

    // Chat, once the host has answered that it understands it.
    bool canChat() const { return (m_sharedCapabilities & CAPABILITY_CHAT) != 0; }
    // The host sends the compact stream instead of the game's own state messages.
    bool isCompact() const { return (m_sharedCapabilities & CAPABILITY_COMPACT) != 0; }
    // The copy reports its ship and input in the compact stream too.
    bool isUplink() const { return (m_sharedCapabilities & CAPABILITY_UPLINK) != 0; }
    uint32_t getSharedCapabilities() const { return m_sharedCapabilities; }
    void say(const std::string& typed); // sent with the next update; nothing when chat is not shared
    void takeChatLines(std::vector<ChatLine>& lines);

    int getStatsCount() const { return static_cast<int>(m_playerStats.size()); }
    const std::vector<PlayerStats>& getStats() const { return m_playerStats; }
    const char* getStatsName(int index) const { return m_playerStats[index].name; }
    int getStatsScore(int index) const { return m_playerStats[index].score; }
    // The rows as the score table shows them: by score, highest first; equal
    // scores keep the host's order.
    std::vector<int> getStatsOrder() const;
    int getStatsID(int index) const { return m_playerStats[index].uniqueID; } // the row's ship
    const colour4& getStatsColour(int index) const { return m_playerStats[index].colour; }
    bool isOwnStatsRow(int index) const { return m_playerStats[index].uniqueID == m_ownIndex; }

    // Where an element is drawn: the own ship as predicted, the others as
    // carried on and smoothed between the host's updates.
    vector3 getDrawnPosition(int index) const;
    float getDrawnRotation(int index) const;

    // Read access for tests and the benchmark.
    int getOwnIndex() const { return m_ownIndex; }
    const ZEBGameStateElement& getElementState(int index) const { return m_elements[index]; }
    const PlayerInput& getInput() const { return m_input; }

    void predictOwnShip(float changeInTime);

  private:
    friend struct ZEBGameStateCollectorAccess; // scenario tests place elements directly

    void processMessages(messageQueue& receivedMessages);
    bool readJoinReply(const networkMessage& message);
    void handleNewElement(const networkMessage& message);
    void handleElementUpdate(const networkMessage& message);
    void handlePlayerStats(const networkMessage& message);
    void handleExplosion(const networkMessage& message);
    void handleCapabilities(const networkMessage& message);
    void handleChatLine(const networkMessage& message);
    void handleWatchers(const networkMessage& message);
    void handleCompactState(const networkMessage& message);
    bool noteCompactSequence(uint16_t sequence); // false: not newer than one already read
    void applyCompact(const CompactEntry& entry);
    void explode(int index, float duration, const vector3& position, float rotation);
    void sendExtensions(messageQueue& messagesToSendOut);
    void addElement(const ZEBGameStateElement& newElement);
    void sendPlayerState(messageQueue& messagesToSendOut) const;
    void sendCompactReport(float changeInTime, messageQueue& messagesToSendOut);
    bool isAckDue() const; // an acknowledgement goes alone this frame
    bool ownShipHeld() const { return m_ownIndex >= 0 && m_ownIndex < getElementCount(); }

    int32_t m_ownIndex = 0;
    std::string m_playerName;
    std::vector<PlayerStats> m_playerStats;
    PlayerInput m_input;
    std::vector<ZEBGameStateElement> m_elements;
    std::vector<int32_t> m_sounds;
    bool m_joined = false;
    bool m_announced = false;          // what this copy understands has gone to this connection's host
    uint32_t m_sharedCapabilities = 0; // what the host answered
    uint32_t m_announcing = OWN_CAPABILITIES;
    std::vector<ChatLine> m_chatLines;
    std::vector<std::string> m_outgoingChat;
    bool m_compactRead = false; // a compact datagram has been read from this host
    bool m_ackDue = false;      // one has been read since the last acknowledgement
    bool m_ackUrgent = false;   // and one before it was missed
    float m_sinceAck = 0.0f;    // seconds since an acknowledgement went
    ZEBCompactUplink m_uplink;
    int m_ownTurn = 0; // the controls the own ship held in the last prediction: +1 left, -1 right
    bool m_ownThrust = false;
    CompactAck m_compactAck;
    ZEBRemoteMotion m_remoteMotion; // what is drawn of m_elements, by index
    bool m_watching = false;
    int m_formerRow = -1;
    GameMove m_gameMove; // host 0: none told
    std::vector<PlayerStats> m_placesToBring;
    bool m_refusedWatching = false; // the host gave this watching copy a ship
    std::vector<std::string> m_watchers;
};
