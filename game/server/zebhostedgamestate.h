#pragma once

// The hosting copy's authoritative game: the simulation, who is in it, what
// the players are sent and their chat, side by side. tick is its one entry
// point: received messages and the transport's events in, messages to send
// out; nothing touches the network.

#include "game/rules/protocol.h"
#include "game/server/zebchatrelay.h"
#include "game/server/zebcompactbroadcast.h"
#include "game/server/zebdesignbroadcast.h"
#include "game/server/zebgamestategame.h"
#include "game/server/zebroster.h"
#include "networklib/networkevent.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

class ZEBObject;
class messageQueue;
class networkMessage;

class ZEBHostedGameState {
  public:
    // Set-up from the level.
    void setAsteroids(int count, float speed) { m_game.setAsteroids(count, speed); }
    void sortObjects(std::vector<ZEBObject>& objects) { m_game.sortObjects(objects); }
    void createAsteroids() { m_game.createAsteroids(); }

    // One step of dt seconds. events are the transport's, each in its place
    // among the received messages.
    void tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received,
              const std::vector<networkEvent>& events, messageQueue& toSend);
    // A step in which the transport reported nothing.
    void tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received, messageQueue& toSend);
    void handleMessages(messageQueue& received, const std::vector<networkEvent>& events,
                        messageQueue& toSend);

    // Players.
    int addPlayer(uint32_t playerID, const char* name) { return m_roster.addPlayer(m_game, playerID, name); }
    void reservePlaces(const std::vector<PlayerStats>& formerTable) {
        m_roster.reservePlaces(m_game, formerTable);
    }
    void tellGameMove(const GameMove& move, messageQueue& toSend) const {
        m_roster.tellGameMove(m_game, move, toSend);
    }
    void setTakingMovingGames(bool taking) { m_roster.setTakingMovingGames(taking); }
    int getConnectedPlayerCount() const { return m_game.getConnectedPlayerCount(); }
    void takeRefusals(std::vector<PlayerRefusal>& refusals) { m_roster.takeRefusals(refusals); }
    uint64_t getRefusedStateCount() const { return m_game.getRefusedStateCount(); }
    // Whether a connection came by a browser, and how many of the connected players did.
    bool isBrowser(uint32_t playerID) const { return m_browsers.count(playerID) != 0; }
    int getConnectedBrowserCount() const;

    // Chat.
    void say(const std::string& text, messageQueue& toSend) { m_chat.say(m_game, m_roster, text, toSend); }
    void takeChatLines(std::vector<ChatLine>& lines) { m_chat.takeChatLines(lines); }

    // Watchers.
    int getWatcherCount() const { return m_roster.getWatcherCount(); }
    const WatcherRecord& getWatcher(int index) const { return m_roster.getWatcher(index); }

    // Read access for the shell, tests and benchmarks.
    const ZEBGameStateGame& getSimulation() const { return m_game; }
    void newRound(messageQueue& toSend) { m_game.newRound(toSend); }
    void sendFullState(networkMessage& message, int shipID) const { m_game.sendFullState(message, shipID); }
    networkMessage writeStats() const;
    int getElementCount() const { return m_game.getElementCount(); }
    const ZEBGameStateElement& getElement(int id) const { return m_game.getElement(id); }
    int getPlayerCount() const { return m_game.getPlayerCount(); }
    const PlayerRecord& getPlayer(int index) const { return m_game.getPlayer(index); }
    uint32_t getPlayerID(int index) const { return m_roster.getPlayerID(index); }
    const colour4& getPlayerColour(int index) const { return m_roster.getPlayerColour(index); }
    bool isColourUsed(int index) const { return m_roster.isColourUsed(index); }
    int getNumberOfAsteroids() const { return m_game.getNumberOfAsteroids(); }
    float getAsteroidSpeed() const { return m_game.getAsteroidSpeed(); }
    float getStatsCountdown() const { return m_design.getStatsCountdown(); }
    int getCompactPeerCount() const { return m_compact.getPeerCount(); }
    vector3 spawnPoint(int place) const { return m_game.spawnPoint(place); }
    float spawnRotation(int place) const { return m_game.spawnRotation(place); }

  private:
    friend struct ZEBHostedGameStateAccess; // scenario tests place elements and players directly

    void handleEvent(const networkEvent& event, messageQueue& toSend);
    void handleMessage(const networkMessage& message, messageQueue& toSend);

    ZEBGameStateGame m_game;
    ZEBRoster m_roster;
    ZEBDesignBroadcast m_design;
    ZEBCompactBroadcast m_compact;
    ZEBChatRelay m_chat;
    std::unordered_set<uint32_t> m_browsers; // connections that came by the web port
};
