#include "game/server/zebgamestategame.h"

#include "networklib/networkmessage.h"

// A watcher is a connection the game sends everything it sends its players,
// with a full state of its own that names no ship. It is never one of the
// players: it has no place, no colour, no score, and the game's count of
// players (what a search reports, what makes a game full) leaves it out.

int ZEBGameStateGame::lookupWatcher(uint32_t playerID) const {
    for (size_t i = 0; i < m_watchers.size(); ++i) {
        if (m_watchers[i].playerID == playerID)
            return static_cast<int>(i);
    }
    return -1;
}

void ZEBGameStateGame::admitWatcher(uint32_t playerID, const char* name, uint32_t capabilities,
                                    messageQueue& toSend) {
    if (getWatcherCount() >= MAX_WATCHERS) {
        refuse(playerID, refusalReason::gameFull);
        return;
    }
    WatcherRecord watcher;
    watcher.playerID = playerID;
    copyPlayerName(watcher.name, name);
    watcher.capabilities = capabilities;
    m_watchers.push_back(watcher);

    networkMessage fullState;
    sendFullState(fullState, WATCHER_SHIP_ID);
    fullState.setDestination(playerID);
    fullState.setGuaranteed(true);
    toSend.push(fullState);
    sendCapabilities(playerID, capabilities, toSend);
    if ((capabilities & CAPABILITY_COMPACT) != 0)
        addCompactPeer(playerID);
    sendWatchers(toSend);
}

bool ZEBGameStateGame::dropWatcher(uint32_t playerID, messageQueue& toSend) {
    const int index = lookupWatcher(playerID);
    if (index < 0)
        return false;
    m_watchers.erase(m_watchers.begin() + index);
    removeCompactPeer(playerID);
    sendWatchers(toSend);
    return true;
}

std::vector<ZEBGameStateGame::Listener> ZEBGameStateGame::getListeners() const {
    std::vector<Listener> listeners;
    for (int index = 0; index < getPlayerCount() && index < static_cast<int>(m_playerIDs.size()); ++index) {
        const PlayerRecord& player = m_players[index];
        if (player.connected && !player.reserved)
            listeners.push_back({m_playerIDs[index], player.capabilities});
    }
    for (const WatcherRecord& watcher : m_watchers)
        listeners.push_back({watcher.playerID, watcher.capabilities});
    return listeners;
}

void ZEBGameStateGame::sendWatchers(messageQueue& toSend) const {
    for (const Listener& listener : getListeners())
        sendWatchersTo(listener.playerID, listener.capabilities, toSend);
}

void ZEBGameStateGame::sendWatchersTo(uint32_t playerID, uint32_t capabilities, messageQueue& toSend) const {
    if ((capabilities & CAPABILITY_WATCH) == 0)
        return;
    std::vector<std::string> names;
    for (const WatcherRecord& watcher : m_watchers)
        names.emplace_back(watcher.name);
    networkMessage message = writeWatchers(names);
    message.setDestination(playerID);
    toSend.push(message);
}
