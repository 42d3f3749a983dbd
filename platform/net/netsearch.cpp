#include "platform/net/netsearch.h"

#include "platform/net/netdiscovery.h"
#include "platform/net/netprotocol.h"

netSearch::~netSearch() {
    finish();
}

bool netSearch::start(const netGuid& applicationGuid, const std::vector<uint32_t>& targets,
                      uint16_t discoveryPort, int windowMs) {
    finish();
    if (targets.empty())
        return false;
    m_socket = openDiscoveryQuerySocket();
    if (m_socket == NET_NO_SOCKET)
        return false;
    m_applicationGuid = applicationGuid;
    discoveryQuery query;
    query.applicationGuid = applicationGuid;
    const std::vector<uint8_t> bytes = encodeDiscoveryQuery(query);
    for (const uint32_t target : targets)
        sendDatagram(m_socket, netAddress{target, discoveryPort}, bytes);
    m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(windowMs);
    return true;
}

bool netSearch::poll(std::vector<netHostAnswer>& answers) {
    if (m_socket == NET_NO_SOCKET)
        return false;
    uint8_t buffer[DISCOVERY_ANSWER_MAX_SIZE + 1];
    // A flood of datagrams cannot keep a frame here: the rest waits for the next poll.
    for (int taken = 0; taken < NET_SEARCH_DATAGRAMS_PER_POLL && waitReadable(m_socket, 0); ++taken) {
        netAddress from;
        const long size = receiveDatagram(m_socket, buffer, sizeof(buffer), from);
        if (size < 0)
            break;
        discoveryAnswer answer;
        if (!decodeDiscoveryAnswer(buffer, static_cast<size_t>(size), answer))
            continue;
        if (answer.version != NET_PROTOCOL_VERSION || !(answer.desc.applicationGuid == m_applicationGuid) ||
            answer.gamePort == 0)
            continue;
        answers.push_back(netHostAnswer{netAddress{from.host, answer.gamePort}, answer.desc});
    }
    if (msLeft() > 0)
        return true;
    finish();
    return false;
}

void netSearch::wait() const {
    if (m_socket != NET_NO_SOCKET)
        waitReadable(m_socket, msLeft());
}

int netSearch::msLeft() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void netSearch::finish() {
    if (m_socket != NET_NO_SOCKET)
        closeSocket(m_socket);
    m_socket = NET_NO_SOCKET;
}
