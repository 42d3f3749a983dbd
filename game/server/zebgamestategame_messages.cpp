#include "game/server/zebgamestategame.h"

#include "core/displaytext.h"
#include "game/rules/shipcontrols.h"

#include "networklib/networkmessage.h"

#include <cmath>
#include <cstring>

static_assert(sizeof(DISCONNECTED_SUFFIX) < PLAYER_NAME_SIZE - 1, "the suffix must leave room for a name");
static_assert(sizeof(WATCHING_SUFFIX) < PLAYER_NAME_SIZE - 1, "the suffix must leave room for a name");

// In the order things arrived: a place freed by a player who left goes to a
// join request that came after the departure, and a player's last messages
// are read before it is gone.
void ZEBGameStateGame::handleMessages(messageQueue& received, const std::vector<networkEvent>& events,
                                      messageQueue& toSend) {
    size_t nextEvent = 0;
    for (int taken = 0;; ++taken) {
        while (nextEvent < events.size() && events[nextEvent].messagesBefore <= taken)
            handleEvent(events[nextEvent++], toSend);
        if (!received.hasMessages())
            break;
        handleMessage(received.pop(), toSend);
    }
    while (nextEvent < events.size()) // a place past the last message is after it
        handleEvent(events[nextEvent++], toSend);
}

void ZEBGameStateGame::handleEvent(const networkEvent& event, messageQueue& toSend) {
    switch (event.kind) {
    case networkEventKind::playerJoined:
        m_chatGate.connected(event.playerID, event.address);
        handlePlayerJoined(event.playerID);
        break;
    case networkEventKind::playerLeft:
        m_chatGate.disconnected(event.playerID);
        handlePlayerLeft(event.playerID, toSend);
        break;
    default:
        break; // a client's event
    }
}

void ZEBGameStateGame::handleMessage(const networkMessage& message, messageQueue& toSend) {
    switch (message.getType()) {
    case MSG_JOIN_REQUEST:
        handleJoinRequest(message, toSend);
        break;
    case MSG_PLAYER_INPUT:
        handlePlayerInput(message);
        break;
    case MSG_PLAYER_STATE:
        handlePlayerState(message);
        break;
    case MSG_CHAT_SAY:
        handleChatSay(message, toSend);
        break;
    case MSG_PLACES_FOLLOW:
        handlePlacesFollow(message);
        break;
    case MSG_COMPACT_ACK:
        handleCompactAck(message);
        break;
    case MSG_COMPACT_REPORT:
        handleCompactReport(message);
        break;
    default:
        break;
    }
}

void ZEBGameStateGame::handlePlayerJoined(uint32_t playerID) {
    if (lookupPlayer(playerID) >= 0 || static_cast<int>(m_pending.size()) >= MAX_PENDING_CONNECTIONS)
        return;
    forgetPending(playerID);
    m_pending.push_back({playerID, 0.0f});
}

void ZEBGameStateGame::forgetPending(uint32_t playerID) {
    std::erase_if(m_pending,
                  [playerID](const PendingConnection& pending) { return pending.playerID == playerID; });
}

void ZEBGameStateGame::updatePending(float dt) {
    for (PendingConnection& pending : m_pending) {
        pending.waited += dt;
        if (pending.waited >= JOIN_WAIT_LIMIT)
            refuse(pending.playerID, refusalReason::noJoinRequest);
    }
    std::erase_if(m_pending,
                  [](const PendingConnection& pending) { return pending.waited >= JOIN_WAIT_LIMIT; });
}

void ZEBGameStateGame::refuse(uint32_t playerID, refusalReason reason) {
    for (const PlayerRefusal& refusal : m_refusals) {
        if (refusal.playerID == playerID)
            return; // the client asks every frame until the transport drops it
    }
    m_refusals.push_back({playerID, reason});
}

void ZEBGameStateGame::handleJoinRequest(const networkMessage& message, messageQueue& toSend) {
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
        admitWatcher(sender, request.name, capabilities, toSend);
        return;
    }
    if (getConnectedPlayerCount() >= MAX_PLAYERS) {
        refuse(sender, refusalReason::gameFull);
        return;
    }
    // A place kept for another player is never a newcomer's: with no other
    // place left, the newcomer is turned away as from a full game.
    const int returning = placeReturningTo(request.name);
    const int reserved =
        returning >= 0
            ? returning
            : reservedPlaceFor(request.name, readJoinFormerRow(message.getData(), message.getDataSize()));
    const bool newPlace = reserved < 0 && getPlayerCount() < MAX_PLAYERS;
    const int place = newPlace ? getPlayerCount() : (reserved >= 0 ? reserved : freePlace());
    if (place < 0) {
        refuse(sender, refusalReason::gameFull);
        return;
    }
    const int shipID =
        newPlace ? addPlayer(sender, request.name) : takeOverPlace(place, sender, request.name);
    PlayerRecord& player = m_players[place];
    player.capabilities = capabilities;
    player.chatLimit = ZEBChatLimit();

    // The full state is this player's alone; the place concerns everyone.
    networkMessage fullState;
    sendFullState(fullState, shipID);
    fullState.setDestination(sender);
    fullState.setGuaranteed(true);
    toSend.push(fullState);
    sendCapabilities(sender, capabilities, toSend);
    if (!m_watchers.empty())
        sendWatchersTo(sender, capabilities, toSend);
    removeCompactPeer(sender);
    if ((capabilities & CAPABILITY_COMPACT) != 0)
        addCompactPeer(sender);
    for (int id = shipID; id < shipID + 1 + BULLETS_PER_PLAYER; ++id) {
        if (newPlace) {
            networkMessage newElement = writeNewElement(m_elements[id]);
            newElement.setGuaranteed(true);
            toSend.push(newElement);
            noteSent(id);
        } else {
            sendElementUpdate(id, toSend); // the others already hold these elements
        }
    }
}

// A copy that announced what it understands hears, alone, what both share.
void ZEBGameStateGame::sendCapabilities(uint32_t playerID, uint32_t capabilities,
                                        messageQueue& toSend) const {
    if (capabilities == 0)
        return;
    networkMessage answer = writeCapabilities(capabilities);
    answer.setDestination(playerID);
    toSend.push(answer);
}

void ZEBGameStateGame::handlePlayerLeft(uint32_t playerID, messageQueue& toSend) {
    forgetPending(playerID);
    if (dropWatcher(playerID, toSend))
        return;
    const int index = lookupPlayer(playerID);
    if (index < 0 || !m_players[index].connected)
        return;
    PlayerRecord& player = m_players[index];
    player.connected = false;
    player.leftAt = m_clock;
    removeCompactPeer(playerID);
    labelRow(player, DISCONNECTED_SUFFIX);

    m_elements[player.shipID].setVisible(false);
    sendElementUpdate(player.shipID, toSend);
}

// Shortened at a character so that the name and the suffix fit the field.
void ZEBGameStateGame::labelRow(PlayerRecord& player, const char* suffix) {
    const size_t keep = PLAYER_NAME_SIZE - 1 - std::strlen(suffix);
    const std::string name = cutAtCharacter(player.joinedName, keep) + suffix;
    copyPlayerName(player.name, name.c_str());
}

void ZEBGameStateGame::handlePlayerInput(const networkMessage& message) {
    const int index = lookupPlayer(message.getPlayerID());
    if (index < 0 || !m_players[index].connected)
        return;
    PlayerInput input;
    if (!readPlayerInput(message.getData(), message.getDataSize(), &input))
        return;
    m_players[index].input = input;
    if (input.up || input.down || input.left || input.right || input.fire)
        m_players[index].untouched = false;
}

void ZEBGameStateGame::handlePlayerState(const networkMessage& message) {
    const int index = lookupPlayer(message.getPlayerID());
    if (index < 0 || !m_players[index].connected)
        return;
    PartialRecord record;
    if (!readPlayerState(message.getData(), message.getDataSize(), &record))
        return;
    const int shipID = m_players[index].shipID;
    if (record.getID() != shipID)
        return;
    // Only the game hides and shows ships (explosions, respawn, new round): a
    // state the client sent before it learnt of the explosion must not revive
    // the ship, nor one from before it learnt of the respawn hide it again.
    if (!m_elements[shipID].isVisible())
        return;
    ZEBGameStateElement ship = m_elements[shipID];
    record.applyTo(&ship);
    adoptShipState(index, ship);
}

bool ZEBGameStateGame::adoptShipState(int index, ZEBGameStateElement ship) {
    if (!ship.isVisible())
        return false;
    if (!std::isfinite(ship.getRotation()) || !m_players[index].stateCheck.accept(ship)) {
        ++m_refusedStates;
        return false;
    }
    ship.setRotation(wrapRotation(ship.getRotation())); // a copy that never wraps it sends any multiple
    // Turning and thrust reach the host only as the ship's state.
    const int shipID = m_players[index].shipID;
    const ZEBGameStateElement& before = m_elements[shipID];
    if (ship.getRotation() != before.getRotation() || !(ship.getVelocity() == ZERO) ||
        !(ship.getPosition() == before.getPosition()))
        m_players[index].untouched = false;
    m_elements[shipID] = ship;
    return true;
}

void ZEBGameStateGame::sendFullState(networkMessage& message, int shipID) const {
    message = writeFullState(m_elements, shipID);
}

void ZEBGameStateGame::sendElementUpdate(int id, messageQueue& toSend) {
    sendElementUpdate(id, false, toSend);
}

void ZEBGameStateGame::sendElementUpdate(int id, bool guaranteed, messageQueue& toSend) {
    m_elements[id].resetTimeSinceUpdate();
    networkMessage update = writeElementUpdate(m_elements[id]);
    update.setGuaranteed(guaranteed);
    toSend.push(update);
    noteSent(id);
    if (static_cast<int>(m_changeCounts.size()) <= id)
        m_changeCounts.resize(static_cast<size_t>(id) + 1, 0);
    ++m_changeCounts[id];
}

void ZEBGameStateGame::sendExplosion(int id, float duration, messageQueue& toSend) {
    Explosion explosion;
    explosion.elementID = id;
    explosion.duration = duration;
    explosion.position = m_elements[id].getPosition();
    explosion.rotation = m_elements[id].getRotation();
    toSend.push(writeExplosion(explosion));
    m_tickExplosions.push_back(explosion);
}

networkMessage ZEBGameStateGame::writeStats() const {
    std::vector<PlayerStats> rows;
    for (const PlayerRecord& player : m_players) {
        if (player.reserved)
            continue; // shown once its player is back
        PlayerStats& row = rows.emplace_back();
        std::memcpy(row.name, player.name, PLAYER_NAME_SIZE);
        row.uniqueID = player.shipID;
        row.score = player.score;
        row.colour = m_elements[player.shipID].getColour();
    }
    return writePlayerStats(rows);
}

void ZEBGameStateGame::sendPlayerStats(messageQueue& toSend) const {
    toSend.push(writeStats());
}
