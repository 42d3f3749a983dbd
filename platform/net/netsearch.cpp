#include "platform/net/netsearch.h"

#include "platform/net/netdiscovery.h"
#include "platform/net/netprotocol.h"

#include <algorithm>

netSearch::~netSearch() {
    finish();
}

bool netSearch::start(const netGuid& applicationGuid, const std::vector<uint32_t>& targets,
                      uint16_t discoveryPort, int windowMs) {
    discoveryQuery query;
    query.applicationGuid = applicationGuid;
    return open(applicationGuid, targets, discoveryPort, windowMs, encodeDiscoveryQuery(query));
}

bool netSearch::startClaim(const netGuid& applicationGuid, const netGuid& claimant,
                           const std::vector<uint32_t>& targets, uint16_t discoveryPort, int windowMs) {
    discoveryClaim claim;
    claim.applicationGuid = applicationGuid;
    claim.claimant = claimant;
    if (!open(applicationGuid, targets, discoveryPort, windowMs, encodeDiscoveryClaim(claim)))
        return false;
    m_claimant = claimant;
    m_claimListener = openDiscoveryListener(discoveryPort);
    return true;
}

bool netSearch::open(const netGuid& applicationGuid, const std::vector<uint32_t>& targets,
                     uint16_t discoveryPort, int windowMs, std::vector<uint8_t> datagram) {
    finish();
    if (targets.empty())
        return false;
    m_socket = openDiscoveryQuerySocket();
    if (m_socket == NET_NO_SOCKET)
        return false;
    m_applicationGuid = applicationGuid;
    m_targets = targets;
    m_discoveryPort = discoveryPort;
    m_datagram = std::move(datagram);
    m_rivals.clear();
    m_sent = 0;
    m_started = std::chrono::steady_clock::now();
    m_deadline = m_started + std::chrono::milliseconds(windowMs);
    sendDue();
    return true;
}

// The datagram goes at the start of the window and at each further third of it.
void netSearch::sendDue() {
    const auto window = m_deadline - m_started;
    while (m_sent < NET_SEARCH_QUERIES &&
           std::chrono::steady_clock::now() >= m_started + window * m_sent / NET_SEARCH_QUERIES) {
        for (const uint32_t target : m_targets)
            sendDatagram(m_socket, netAddress{target, m_discoveryPort}, m_datagram);
        ++m_sent;
    }
}

bool netSearch::poll(std::vector<netHostAnswer>& answers, std::vector<netHostRank>* ranks) {
    if (m_socket == NET_NO_SOCKET)
        return false;
    sendDue();
    readAnswers(answers, ranks);
    readClaims();
    if (msLeft() > 0)
        return true;
    finish();
    return false;
}

void netSearch::readAnswers(std::vector<netHostAnswer>& answers, std::vector<netHostRank>* ranks) {
    uint8_t buffer[DISCOVERY_ANSWER_MAX_SIZE + 1];
    // A flood of datagrams cannot keep a frame here: the rest waits for the next poll.
    for (int taken = 0; taken < NET_SEARCH_DATAGRAMS_PER_POLL && waitReadable(m_socket, 0); ++taken) {
        netAddress from;
        const long size = receiveDatagram(m_socket, buffer, sizeof(buffer), from);
        if (size < 0)
            break;
        discoveryAnswer answer;
        discoveryRank rank;
        if (decodeDiscoveryAnswer(buffer, static_cast<size_t>(size), answer)) {
            if (answer.version != NET_PROTOCOL_VERSION ||
                !(answer.desc.applicationGuid == m_applicationGuid) || answer.gamePort == 0)
                continue;
            answers.push_back(netHostAnswer{netAddress{from.host, answer.gamePort}, answer.desc});
        } else if (ranks != nullptr && decodeDiscoveryRank(buffer, static_cast<size_t>(size), rank)) {
            if (rank.version == NET_PROTOCOL_VERSION && rank.applicationGuid == m_applicationGuid)
                ranks->push_back(netHostRank{rank.instanceGuid, rank.secondsHosted, rank.flags});
        }
    }
}

// The listener hears queries and answers' traffic of others too; only claims count.
void netSearch::readClaims() {
    if (m_claimListener == NET_NO_SOCKET)
        return;
    uint8_t buffer[DISCOVERY_CLAIM_SIZE + 1];
    for (int taken = 0; taken < NET_SEARCH_DATAGRAMS_PER_POLL && waitReadable(m_claimListener, 0); ++taken) {
        netAddress from;
        const long size = receiveDatagram(m_claimListener, buffer, sizeof(buffer), from);
        if (size < 0)
            break;
        discoveryClaim claim;
        if (!decodeDiscoveryClaim(buffer, static_cast<size_t>(size), claim) ||
            claim.version != NET_PROTOCOL_VERSION || !(claim.applicationGuid == m_applicationGuid) ||
            claim.claimant == m_claimant)
            continue;
        if (std::find(m_rivals.begin(), m_rivals.end(), claim.claimant) == m_rivals.end() &&
            m_rivals.size() < NET_SEARCH_DATAGRAMS_PER_POLL)
            m_rivals.push_back(claim.claimant);
    }
}

void netSearch::wait() const {
    if (m_socket == NET_NO_SOCKET)
        return;
    int due = msLeft();
    if (m_sent < NET_SEARCH_QUERIES) {
        const auto next = m_started + (m_deadline - m_started) * m_sent / NET_SEARCH_QUERIES;
        const auto untilNext =
            std::chrono::duration_cast<std::chrono::milliseconds>(next - std::chrono::steady_clock::now())
                .count();
        due = std::min(due, static_cast<int>(std::max<long long>(untilNext, 0)));
    }
    netWaitEntry entries[2] = {{m_socket}, {m_claimListener}};
    waitAnyReadable(entries, 2, due);
}

int netSearch::msLeft() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void netSearch::finish() {
    if (m_socket != NET_NO_SOCKET)
        closeSocket(m_socket);
    if (m_claimListener != NET_NO_SOCKET)
        closeSocket(m_claimListener);
    m_socket = NET_NO_SOCKET;
    m_claimListener = NET_NO_SOCKET;
}
