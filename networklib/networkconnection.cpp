#include "networklib/networkconnection.h"

#include "networklib/messagelog.h"

networkConnection::networkConnection() : m_logFile(messageLog::shared()) {
    m_logTimer.start();
}

networkConnection::~networkConnection() = default;

void networkConnection::initialise() {}

void networkConnection::setApplicationGuid(const netGuid& guid) {
    m_applicationDesc.applicationGuid = guid;
}

void networkConnection::setSessionName(const std::string& name) {
    m_applicationDesc.sessionName = limitSessionName(name);
}

void networkConnection::collectEvents() {
    takeEvents(m_events);
    for (netIncoming& event : m_events)
        handle(event);
    m_events.clear();
}

void networkConnection::receiveMessages(messageQueue& queue) {
    pumpTransport();
    collectEvents();
    queue = std::move(m_received);
    m_received.clear();
}

void networkConnection::sendMessages(messageQueue& queue) {
    holdSends();
    while (queue.hasMessages())
        send(queue.pop());
    releaseSends();
}

void networkConnection::relay(const networkMessage& message) {
    m_received.push(message);
    if (m_logging)
        m_logFile.write(m_logTimer.getElapsedNow(), message.getType(), message.getDataSize());
}

bool isTransportEvent(int type) {
    return type == NETWORK_PLAYER_CREATED || type == NETWORK_PLAYER_DESTROYED ||
           type == NETWORK_SESSION_TERMINATED;
}

void networkConnection::relayReceived(const netIncoming& received) {
    networkMessage message;
    // The transport's packets are far below INT_MAX.
    if (!message.setFromReceived(received.player, received.bytes.data(),
                                 static_cast<int>(received.bytes.size())))
        return;
    // Only this side's transport reports players and the end of a session; a
    // peer's packet claiming to be such a report is a forgery.
    if (isTransportEvent(message.getType()))
        return;
    relay(message);
}
