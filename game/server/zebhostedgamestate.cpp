#include "game/server/zebhostedgamestate.h"

#include "game/rules/zebobject.h"
#include "networklib/networkmessage.h"

void ZEBHostedGameState::tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received,
                              messageQueue& toSend) {
    tick(dt, objects, received, {}, toSend);
}

void ZEBHostedGameState::tick(float dt, std::vector<ZEBObject>& objects, messageQueue& received,
                              const std::vector<networkEvent>& events, messageQueue& toSend) {
    dt = m_game.elapse(dt);
    m_design.stepGuesses(dt, m_game, m_compact.hasDesignReaders(m_game, m_roster));
    handleMessages(received, events, toSend);
    m_game.carryReportedShips(dt);
    m_roster.update(m_game, dt);
    m_game.step(dt, objects, toSend);
    m_design.broadcast(dt, m_game, m_compact.hasDesignReaders(m_game, m_roster), toSend);
    m_compact.send(dt, m_game, m_roster, m_design.getObserved(), toSend);
}

// In the order things arrived: a place freed by a player who left goes to a
// join request that came after the departure, and a player's last messages
// are read before it is gone.
void ZEBHostedGameState::handleMessages(messageQueue& received, const std::vector<networkEvent>& events,
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

int ZEBHostedGameState::getConnectedBrowserCount() const {
    int count = 0;
    for (int place = 0; place < getPlayerCount(); ++place)
        count += getPlayer(place).connected && isBrowser(getPlayerID(place)) ? 1 : 0;
    return count;
}

void ZEBHostedGameState::handleEvent(const networkEvent& event, messageQueue& toSend) {
    switch (event.kind) {
    case networkEventKind::playerJoined:
        m_chat.connected(event.playerID, event.address);
        m_roster.handlePlayerJoined(event.playerID);
        if (event.viaBrowser)
            m_browsers.insert(event.playerID);
        break;
    case networkEventKind::playerLeft:
        m_chat.disconnected(event.playerID);
        m_roster.handlePlayerLeft(m_game, m_compact, event.playerID, toSend);
        m_browsers.erase(event.playerID);
        break;
    default:
        break; // a client's event
    }
}

void ZEBHostedGameState::handleMessage(const networkMessage& message, messageQueue& toSend) {
    switch (message.getType()) {
    case MSG_JOIN_REQUEST:
        m_roster.handleJoinRequest(m_game, m_compact, message, toSend);
        break;
    case MSG_PLAYER_INPUT:
        m_game.handlePlayerInput(m_roster.lookupPlayer(message.getPlayerID()), message);
        break;
    case MSG_PLAYER_STATE:
        m_game.handlePlayerState(m_roster.lookupPlayer(message.getPlayerID()), message);
        break;
    case MSG_CHAT_SAY:
        m_chat.handleChatSay(m_game, m_roster, message, toSend);
        break;
    case MSG_PLACES_FOLLOW:
        m_roster.handlePlacesFollow(m_game, message);
        break;
    case MSG_COMPACT_ACK:
        m_compact.handleAck(message);
        break;
    case MSG_COMPACT_REPORT: {
        CompactReport report;
        if (m_game.handleCompactReport(m_roster.lookupPlayer(message.getPlayerID()), message, &report) &&
            report.hasAck)
            m_compact.acknowledge(message.getPlayerID(), report.ack);
        break;
    }
    default:
        break;
    }
}

networkMessage ZEBHostedGameState::writeStats() const {
    return m_game.writeStats();
}
