#include "game/server/zebroster.h"

#include "game/server/zebcompactbroadcast.h"

#include "game/rules/extensions.h"
#include "networklib/networkmessage.h"

#include <cstring>

// A watcher is a connection the game sends everything it sends its players,
// with a full state of its own that names no ship. It is never one of the
// players: it has no place, no colour, no score, and the game's count of
// players (what a search reports, what makes a game full) leaves it out.

int ZEBRoster::lookupWatcher(uint32_t playerID) const {
    for (size_t i = 0; i < m_watchers.size(); ++i) {
        if (m_watchers[i].playerID == playerID)
            return static_cast<int>(i);
    }
    return -1;
}

void ZEBRoster::admitWatcher(ZEBGameStateGame& game, ZEBCompactBroadcast& compact, uint32_t playerID,
                             const char* name, uint32_t capabilities, messageQueue& toSend) {
    if (getWatcherCount() >= MAX_WATCHERS) {
        refuse(playerID, refusalReason::gameFull);
        return;
    }
    WatcherRecord watcher;
    watcher.playerID = playerID;
    copyPlayerName(watcher.name, name);
    watcher.capabilities = capabilities;
    m_watchers.push_back(watcher);
    const int place = placeLeftBy(game, watcher.name);
    if (place >= 0) {
        PlayerRecord& player = game.getPlayer(place);
        player.watcherID = playerID;
        player.returnWait = 0.0f;
        player.reserved = false; // shown, as watching
        labelRow(player, WATCHING_SUFFIX);
    }

    networkMessage fullState;
    game.sendFullState(fullState, WATCHER_SHIP_ID);
    fullState.setDestination(playerID);
    fullState.setGuaranteed(true);
    toSend.push(fullState);
    sendCapabilities(playerID, capabilities, toSend);
    if ((capabilities & CAPABILITY_COMPACT) != 0)
        compact.addPeer(game, playerID, capabilities);
    sendWatchers(game, toSend);
}

bool ZEBRoster::dropWatcher(ZEBGameStateGame& game, ZEBCompactBroadcast& compact, uint32_t playerID,
                            messageQueue& toSend) {
    const int index = lookupWatcher(playerID);
    if (index < 0)
        return false;
    m_watchers.erase(m_watchers.begin() + index);
    compact.removePeer(playerID);
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        PlayerRecord& player = game.getPlayer(place);
        if (player.watcherID == playerID) {
            player.watcherID = 0;
            player.returnWait = WATCH_RETURN_WAIT;
        }
    }
    sendWatchers(game, toSend);
    return true;
}

std::vector<Listener> ZEBRoster::getListeners(const ZEBGameStateGame& game) const {
    std::vector<Listener> listeners;
    for (int index = 0; index < game.getPlayerCount() && index < static_cast<int>(m_playerIDs.size());
         ++index) {
        const PlayerRecord& player = game.getPlayer(index);
        if (player.connected && !player.reserved)
            listeners.push_back({m_playerIDs[index], player.capabilities});
    }
    for (const WatcherRecord& watcher : m_watchers)
        listeners.push_back({watcher.playerID, watcher.capabilities});
    return listeners;
}

void ZEBRoster::sendWatchers(const ZEBGameStateGame& game, messageQueue& toSend) const {
    for (const Listener& listener : getListeners(game))
        sendWatchersTo(listener.playerID, listener.capabilities, toSend);
}

void ZEBRoster::sendWatchersTo(uint32_t playerID, uint32_t capabilities, messageQueue& toSend) const {
    if ((capabilities & CAPABILITY_WATCH) == 0)
        return;
    std::vector<std::string> names;
    for (const WatcherRecord& watcher : m_watchers)
        names.emplace_back(watcher.name);
    networkMessage message = writeWatchers(names);
    message.setDestination(playerID);
    toSend.push(message);
}

namespace {

// A watcher's name may have been cut to leave room for its request to watch.
bool sameName(const char* joinedName, const char* name) {
    return nameLeavingRoom(joinedName) == nameLeavingRoom(name);
}

} // namespace

// A copy that leaves the game to watch it joins again as a watcher under the
// same name: the place its player left last under that name is its own.
int ZEBRoster::placeLeftBy(const ZEBGameStateGame& game, const char* watcherName) const {
    int found = -1;
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        const PlayerRecord& player = game.getPlayer(place);
        if (player.connected || player.watcherID != 0 || !sameName(player.joinedName, watcherName))
            continue;
        if (found < 0 || player.leftAt > game.getPlayer(found).leftAt)
            found = place;
    }
    return found;
}

int ZEBRoster::placeReturningTo(const ZEBGameStateGame& game, const char* name) const {
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        const PlayerRecord& player = game.getPlayer(place);
        if (!player.connected && player.returnWait > 0.0f &&
            std::strncmp(player.joinedName, name, PLAYER_NAME_SIZE) == 0)
            return place;
    }
    return -1;
}

// A watcher that went without coming back as a player has left the game.
void ZEBRoster::updateReturns(ZEBGameStateGame& game, float dt) {
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        PlayerRecord& player = game.getPlayer(place);
        if (player.returnWait <= 0.0f)
            continue;
        player.returnWait -= dt;
        if (player.returnWait <= 0.0f) {
            player.returnWait = 0.0f;
            labelRow(player, DISCONNECTED_SUFFIX);
        }
    }
}
