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

void networkConnection::receiveMessages(messageQueue& queue) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    queue = m_received;
    m_received.clear();
}

void networkConnection::sendMessages(messageQueue& queue) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    holdSends();
    while (queue.hasMessages())
        send(queue.pop());
    releaseSends();
}

void networkConnection::queueReceived(const networkMessage& message) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_received.push(message);
}

void networkConnection::logMessage(const networkMessage& message) {
    m_logFile.write(m_logTimer.getElapsedNow(), message.getType(), message.getDataSize());
}

void networkConnection::relay(const networkMessage& message) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    queueReceived(message);
    if (m_logging)
        logMessage(message);
}

bool isTransportEvent(int type) {
    return type == NETWORK_PLAYER_CREATED || type == NETWORK_PLAYER_DESTROYED ||
           type == NETWORK_SESSION_TERMINATED;
}

void networkConnection::relayReceived(const netMsgReceive& received) {
    if (received.data == nullptr || received.size < static_cast<size_t>(MESSAGE_TYPE_SIZE))
        return;
    networkMessage message;
    // The transport's packets are far below INT_MAX.
    if (!message.setFromReceived(received.senderID, received.data, static_cast<int>(received.size)))
        return;
    // Only this side's transport reports players and the end of a session; a
    // peer's packet claiming to be such a report is a forgery.
    if (isTransportEvent(message.getType()))
        return;
    relay(message);
}
