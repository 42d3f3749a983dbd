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
    takeEvents(m_incoming);
    for (netIncoming& incoming : m_incoming)
        handle(incoming);
    m_incoming.clear();
}

void networkConnection::receiveMessages(messageQueue& queue, std::vector<networkEvent>& events) {
    pumpTransport();
    collectEvents();
    queue = std::move(m_received);
    m_received.clear();
    events.clear();
    events.swap(m_arrivedEvents);
}

void networkConnection::sendMessages(messageQueue& queue) {
    holdSends();
    while (queue.hasMessages())
        send(queue.pop());
    releaseSends();
}

void networkConnection::relay(networkEvent event) {
    event.messagesBefore = m_received.size();
    m_arrivedEvents.push_back(event);
    if (m_logging) {
        const networkLogRow row = logRowOf(event.kind);
        m_logFile.write(m_logTimer.getElapsedNow(), row.type, row.dataSize);
    }
}

void networkConnection::relayReceived(const netIncoming& received) {
    networkMessage message;
    // The transport's packets are far below INT_MAX.
    if (!message.setFromReceived(received.player, received.bytes.data(),
                                 static_cast<int>(received.bytes.size())))
        return;
    m_received.push(message);
    if (m_logging)
        m_logFile.write(m_logTimer.getElapsedNow(), message.getType(), message.getDataSize());
}
