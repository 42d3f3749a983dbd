#include "game/server/zebroster.h"

#include "core/random.h"
#include "game/server/zebcompactbroadcast.h"

#include "core/displaytext.h"
#include "networklib/networkmessage.h"

#include <cmath>
#include <cstring>

static_assert(sizeof(DISCONNECTED_SUFFIX) < PLAYER_NAME_SIZE - 1, "the suffix must leave room for a name");
static_assert(sizeof(WATCHING_SUFFIX) < PLAYER_NAME_SIZE - 1, "the suffix must leave room for a name");

void ZEBRoster::handlePlayerJoined(uint32_t playerID) {
    if (lookupPlayer(playerID) >= 0 || static_cast<int>(m_pending.size()) >= MAX_PENDING_CONNECTIONS)
        return;
    forgetPending(playerID);
    m_pending.push_back({playerID, 0.0f});
}

void ZEBRoster::forgetPending(uint32_t playerID) {
    std::erase_if(m_pending,
                  [playerID](const PendingConnection& pending) { return pending.playerID == playerID; });
}

void ZEBRoster::updatePending(float dt) {
    for (PendingConnection& pending : m_pending) {
        pending.waited += dt;
        if (pending.waited >= JOIN_WAIT_LIMIT)
            refuse(pending.playerID, refusalReason::noJoinRequest);
    }
    std::erase_if(m_pending,
                  [](const PendingConnection& pending) { return pending.waited >= JOIN_WAIT_LIMIT; });
}

void ZEBRoster::refuse(uint32_t playerID, refusalReason reason) {
    for (const PlayerRefusal& refusal : m_refusals) {
        if (refusal.playerID == playerID)
            return; // the client asks every frame until the transport drops it
    }
    m_refusals.push_back({playerID, reason});
}

void ZEBRoster::handleJoinRequest(ZEBGameStateGame& game, ZEBCompactBroadcast& compact,
                                  const networkMessage& message, messageQueue& toSend) {
    const uint32_t sender = message.getPlayerID();
    if (lookupPlayer(sender) >= 0 || lookupWatcher(sender) >= 0)
        return;
    JoinRequest request;
    if (!readJoinRequest(message.getData(), message.getDataSize(), &request))
        return;
    copyPlayerName(request.name, nameToAdmit(request.name).c_str());
    const uint32_t announced = readJoinAnnouncement(message.getData(), message.getDataSize());
    const uint32_t capabilities = sharedCapabilities(announced);
    forgetPending(sender);
    if ((announced & ANNOUNCE_WATCHING) != 0 && (capabilities & CAPABILITY_WATCH) != 0) {
        admitWatcher(game, compact, sender, request.name, capabilities, toSend);
        return;
    }
    if (game.getConnectedPlayerCount() >= MAX_PLAYERS) {
        refuse(sender, refusalReason::gameFull);
        return;
    }
    // A place kept for another player is never a newcomer's: with no other
    // place left, the newcomer is turned away as from a full game.
    const int returning = placeReturningTo(game, request.name);
    const int reserved = returning >= 0
                             ? returning
                             : reservedPlaceFor(game, request.name,
                                                readJoinFormerRow(message.getData(), message.getDataSize()));
    const bool newPlace = reserved < 0 && game.getPlayerCount() < MAX_PLAYERS;
    const int place = newPlace ? game.getPlayerCount() : (reserved >= 0 ? reserved : freePlace(game));
    if (place < 0) {
        refuse(sender, refusalReason::gameFull);
        return;
    }
    int shipID = 0;
    if (newPlace) {
        shipID = addPlayer(game, sender, request.name);
    } else {
        m_playerIDs[place] = sender;
        shipID = game.takeOverPlace(place, request.name);
    }
    PlayerRecord& player = game.getPlayer(place);
    player.capabilities = capabilities;
    player.chatLimit = ZEBChatLimit();

    // The full state is this player's alone; the place concerns everyone.
    networkMessage fullState;
    game.sendFullState(fullState, shipID);
    fullState.setDestination(sender);
    fullState.setGuaranteed(true);
    toSend.push(fullState);
    sendCapabilities(sender, capabilities, toSend);
    if (!m_watchers.empty())
        sendWatchersTo(sender, capabilities, toSend);
    compact.removePeer(sender);
    if ((capabilities & CAPABILITY_COMPACT) != 0)
        compact.addPeer(game, sender, capabilities);
    for (int id = shipID; id < shipID + 1 + BULLETS_PER_PLAYER; ++id) {
        if (newPlace)
            game.sendNewElement(id, toSend);
        else
            game.sendElementUpdate(id, toSend); // the others already hold these elements
    }
}

// A copy that announced what it understands hears, alone, what both share.
void ZEBRoster::sendCapabilities(uint32_t playerID, uint32_t capabilities, messageQueue& toSend) const {
    if (capabilities == 0)
        return;
    networkMessage answer = writeCapabilities(capabilities);
    answer.setDestination(playerID);
    toSend.push(answer);
}

void ZEBRoster::handlePlayerLeft(ZEBGameStateGame& game, ZEBCompactBroadcast& compact, uint32_t playerID,
                                 messageQueue& toSend) {
    forgetPending(playerID);
    if (dropWatcher(game, compact, playerID, toSend))
        return;
    const int index = lookupPlayer(playerID);
    if (index < 0 || !game.getPlayer(index).connected)
        return;
    compact.removePeer(playerID);
    labelRow(game.getPlayer(index), DISCONNECTED_SUFFIX);
    game.leavePlace(index, toSend);
}

// Shortened at a character so that the name and the suffix fit the field.
void labelRow(PlayerRecord& player, const char* suffix) {
    const size_t keep = PLAYER_NAME_SIZE - 1 - std::strlen(suffix);
    const std::string name = cutAtCharacter(player.joinedName, keep) + suffix;
    copyPlayerName(player.name, name.c_str());
}

// The players' colours read on the navy background (a contrast ratio of at
// least 4.5 to 1), stay apart for players with red-green colour blindness,
// and are saturated, so ships stand out from the pastel asteroids: purple,
// sky blue, red, green, yellow, turquoise, orange and pink.
ZEBRoster::ZEBRoster()
    : m_colours{colour4(0.65f, 0.3f, 1.0f, 1.0f),  colour4(0.05f, 0.75f, 0.95f, 1.0f),
                colour4(0.9f, 0.25f, 0.15f, 1.0f), colour4(0.0f, 0.75f, 0.4f, 1.0f),
                colour4(1.0f, 1.0f, 0.0f, 1.0f),   colour4(0.0f, 0.9f, 0.75f, 1.0f),
                colour4(1.0f, 0.6f, 0.05f, 1.0f),  colour4(0.85f, 0.25f, 0.65f, 1.0f)},
      m_colourUsed(PLAYER_COLOUR_COUNT, false) {}

int ZEBRoster::chooseColour() {
    int index = 0;
    do {
        index = static_cast<int>(random15() / static_cast<double>(RANDOM_MAX) * (PLAYER_COLOUR_COUNT - 1));
    } while (m_colourUsed[index]);
    m_colourUsed[index] = true;
    return index;
}

int ZEBRoster::addPlayer(ZEBGameStateGame& game, uint32_t playerID, const char* name) {
    const int place = game.addPlace(m_colours[chooseColour()], name);
    findPlayer(playerID);
    return game.getPlayer(place).shipID;
}

void ZEBRoster::takeRefusals(std::vector<PlayerRefusal>& refusals) {
    refusals.swap(m_refusals);
    m_refusals.clear();
}

int ZEBRoster::findPlayer(uint32_t playerID) {
    const int index = lookupPlayer(playerID);
    if (index >= 0)
        return index;
    m_playerIDs.push_back(playerID);
    return static_cast<int>(m_playerIDs.size()) - 1;
}

int ZEBRoster::lookupPlayer(uint32_t playerID) const {
    for (int i = 0; i < static_cast<int>(m_playerIDs.size()); ++i) {
        if (m_playerIDs[i] == playerID)
            return i;
    }
    return -1;
}

void ZEBRoster::update(ZEBGameStateGame& game, float dt) {
    updatePending(dt);
    updateReturns(game, dt);
    updateKeptPlaces(game, dt);
}

// The game moves to a bigger one: every copy that understands is told where,
// so that it joins that game at once instead of searching.
void ZEBRoster::tellGameMove(const ZEBGameStateGame& game, const GameMove& move, messageQueue& toSend) const {
    for (const Listener& listener : getListeners(game)) {
        if ((listener.capabilities & CAPABILITY_MOVE) == 0)
            continue;
        networkMessage message = writeGameMove(move);
        message.setDestination(listener.playerID);
        toSend.push(message);
    }
}
