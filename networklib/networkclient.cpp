#include "networklib/networkclient.h"

#include "core/assertion.h"
#include "core/displaytext.h"
#include "platform/language/translation.h"
#include "platform/net/netclient.h"
#include "platform/net/netevents.h"
#include "platform/net/netprotocol.h"
#include "platform/net/netsearch.h"
#include "platform/net/netsettings.h"

#include <algorithm>
#include <cstdio>

uint32_t getLinkGiveUpMs() {
    return NET_PEER_TIMEOUT_MAXIMUM_MS;
}

const char* describeEnd(networkEnd end) {
    switch (end) {
    case networkEnd::none:
        return marked("connected");
    case networkEnd::badAddress:
        return marked("unknown host or bad address");
    case networkEnd::noAnswer:
        return marked("no answer");
    case networkEnd::refused:
        return marked("connection refused");
    case networkEnd::gameFull:
        return marked("the game is full");
    case networkEnd::notJoined:
        return marked("dropped before joining");
    case networkEnd::hostStopped:
        return marked("the host ended the game");
    case networkEnd::connectionLost:
        return marked("the host stopped answering");
    }
    return marked("unknown");
}

namespace {

networkEnd endOfSession(uint32_t reason) {
    switch (reason) {
    case NET_REASON_SESSION_TERMINATED:
        return networkEnd::hostStopped;
    case NET_REASON_GAME_FULL:
        return networkEnd::gameFull;
    case NET_REASON_NOT_JOINED:
        return networkEnd::notJoined;
    default:
        return networkEnd::connectionLost;
    }
}

} // namespace

networkClient::networkClient() = default;

networkClient::~networkClient() = default;

void networkClient::initialise() {
    networkConnection::initialise();
    auto client = std::make_unique<netClient>();
    if (!client->initialise()) {
        std::fputs("Failed To Initialise Server.\n", stderr);
        return;
    }
    m_client = std::move(client);
}

void networkClient::enumerateHosts() {
    if (!startSearch())
        return;
    while (continueSearch())
        m_search->wait();
}

std::vector<uint32_t> networkClient::searchTargets() const {
    std::vector<uint32_t> targets = getDiscoveryTargets();
    for (const uint32_t extra : m_extraTargets)
        if (std::find(targets.begin(), targets.end(), extra) == targets.end())
            targets.push_back(extra);
    return targets;
}

bool networkClient::startSearch() {
    if (m_client == nullptr)
        return false;
    if (m_search == nullptr)
        m_search = std::make_unique<netSearch>();
    return m_search->start(m_applicationDesc.applicationGuid, searchTargets(), getDiscoveryPort(),
                           NET_DISCOVERY_WINDOW_MS);
}

bool networkClient::startClaim(const netGuid& claimant) {
    if (m_client == nullptr)
        return false;
    if (m_search == nullptr)
        m_search = std::make_unique<netSearch>();
    return m_search->startClaim(m_applicationDesc.applicationGuid, claimant, searchTargets(),
                                getDiscoveryPort(), NET_CLAIM_WINDOW_MS);
}

std::vector<netGuid> networkClient::getRivalClaims() const {
    return m_search != nullptr ? m_search->getRivalClaims() : std::vector<netGuid>{};
}

bool networkClient::continueSearch() {
    if (m_search == nullptr)
        return false;
    std::vector<netHostAnswer> answers;
    std::vector<netHostRank> ranks;
    const bool running = m_search->poll(answers, &ranks);
    for (const netHostAnswer& answer : answers)
        addAnswer(answer);
    for (const netHostRank& rank : ranks)
        addRank(rank);
    return running;
}

// A rank may come before its answer: it is kept, and given to the session
// when the answer comes.
void networkClient::addRank(const netHostRank& rank) {
    auto known = std::find_if(m_ranks.begin(), m_ranks.end(), [&rank](const netHostRank& kept) {
        return kept.instanceGuid == rank.instanceGuid;
    });
    if (known != m_ranks.end())
        *known = rank;
    else if (m_ranks.size() < MAX_LISTED_SESSIONS)
        m_ranks.push_back(rank);
    for (std::vector<session>* list : {&m_sessions, &m_fullSessions}) {
        for (session& listed : *list) {
            if (listed.applicationDesc.instanceGuid == rank.instanceGuid) {
                listed.ranked = true;
                listed.rank = rank;
            }
        }
    }
}

void networkClient::addAnswer(const netHostAnswer& answer) {
    const netApplicationDesc& desc = answer.applicationDesc;
    session newSession;
    newSession.hostAddress = answer.hostAddress;
    newSession.applicationDesc = desc;
    newSession.name = makeDisplayText(limitSessionName(desc.sessionName));
    for (const netHostRank& rank : m_ranks) {
        if (rank.instanceGuid == desc.instanceGuid) {
            newSession.ranked = true;
            newSession.rank = rank;
        }
    }
    // A full game has no place for this copy, but the player is told of it.
    if (desc.maxPlayers != 0 && desc.currentPlayers >= desc.maxPlayers)
        mergeSession(m_fullSessions, newSession);
    else
        addSession(newSession);
}

void networkClient::getSessions(std::vector<std::string>& names) {
    names.clear();
    for (const session& listed : m_sessions)
        names.push_back(listed.name);
}

std::vector<networkClient::session> networkClient::getSessionRecords() {
    return m_sessions;
}

void networkClient::addSession(const session& newSession) {
    mergeSession(m_sessions, newSession);
}

std::vector<networkClient::session> networkClient::getFullSessions() const {
    return m_fullSessions;
}

void networkClient::forgetSessions() {
    m_sessions.clear();
    m_fullSessions.clear();
    m_ranks.clear();
}

// A host answers every query it hears, and a host on several of this
// machine's networks answers on each: one search can bring several answers
// from one session. The session keeps its place and its first address, the
// one that answered quickest, and takes the latest word on its players.
void networkClient::mergeSession(std::vector<session>& list, const session& newSession) {
    const netGuid& instance = newSession.applicationDesc.instanceGuid;
    for (session& listed : list) {
        if (listed.applicationDesc.instanceGuid == instance) {
            const netAddress firstAddress = listed.hostAddress;
            const session before = listed;
            listed = newSession;
            listed.hostAddress = firstAddress;
            if (!listed.ranked && before.ranked) {
                listed.ranked = true;
                listed.rank = before.rank;
            }
            return;
        }
    }
    if (list.size() < MAX_LISTED_SESSIONS)
        list.push_back(newSession);
}

void networkClient::connect(std::string name) {
    if (m_sessions.empty())
        return;
    auto chosen = std::find_if(m_sessions.begin(), m_sessions.end(),
                               [&name](const session& listed) { return listed.name == name; });
    connectSession(chosen == m_sessions.end() ? m_sessions.front() : *chosen);
}

void networkClient::connectSession(const session& chosen) {
    if (isConnecting())
        return;
    m_hostAddress = chosen.hostAddress;
    m_applicationDesc = chosen.applicationDesc;
    startConnect(m_hostAddress);
}

bool networkClient::connectTo(const std::string& address) {
    netAddress parsed;
    if (!parseAddress(address, getGamePort(), parsed)) {
        m_end = networkEnd::badAddress;
        return false;
    }
    if (isConnecting())
        return false;
    m_hostAddress = parsed;
    return startConnect(parsed);
}

bool networkClient::startConnect(const netAddress& address) {
    if (m_client == nullptr)
        return false;
    collectEvents(); // the last connection's events are not this one's
    m_end = networkEnd::none;
    if (m_client->connect(address))
        return true;
    m_end = networkEnd::refused;
    relaySessionEnded();
    return false;
}

void networkClient::disconnect() {
    if (m_client == nullptr)
        return;
    m_client->close();
    // What arrived before the close stays for the game's next take; a connect
    // that completed meanwhile is over all the same.
    collectEvents();
    m_connected = false;
}

bool networkClient::isConnected() {
    collectEvents();
    return m_connected;
}

void networkClient::send(const networkMessage& message) {
    if (!ZEB_ASSERT(this->m_client != NULL, "Client MUST be set up"))
        return;
    m_client->send(message.getWireBuffer(), static_cast<size_t>(message.getWireSize()),
                   message.isGuaranteed());
}

void networkClient::addDiscoveryTarget(uint32_t target) {
    if (std::find(m_extraTargets.begin(), m_extraTargets.end(), target) == m_extraTargets.end())
        m_extraTargets.push_back(target);
}

bool networkClient::isConnecting() const {
    return m_client != nullptr && (m_client->isConnecting() || m_client->isConnected());
}

netAddress networkClient::getHostAddress() {
    return m_hostAddress;
}

uint64_t networkClient::getReceivedBytes() const {
    return m_client != nullptr ? m_client->getReceivedBytes() : 0;
}

uint64_t networkClient::getSentDatagrams() const {
    return m_client != nullptr ? m_client->getSentDatagrams() : 0;
}

uint64_t networkClient::getSentBytes() const {
    return m_client != nullptr ? m_client->getSentBytes() : 0;
}

uint64_t networkClient::getDroppedCount() const {
    return m_client != nullptr ? m_client->getDroppedCount() : 0;
}

void networkClient::relaySessionEnded() {
    m_connected = false;
    relay(networkEvent{networkEventKind::sessionEnded, 0, 0, 0});
}

void networkClient::receiveMessages(messageQueue& queue) {
    receiveMessages(queue, m_droppedEvents);
}

void networkClient::onConnectComplete(int result) {
    if (result == NET_OK) {
        m_connected = true;
        return;
    }
    // A failed connect is not a connection: a game waiting to join must learn of it.
    m_end = result == NET_E_TIMEDOUT ? networkEnd::noAnswer : networkEnd::refused;
    relaySessionEnded();
}

// The service thread ends by itself after posting the end; the next connect joins it.
void networkClient::onSessionEnded(uint32_t reason) {
    m_end = endOfSession(reason);
    relaySessionEnded();
}

void networkClient::pumpTransport() {
    if (m_client != nullptr)
        m_client->pump();
}

void networkClient::takeEvents(std::vector<netIncoming>& events) {
    if (m_client != nullptr)
        m_client->takeEvents(events);
}

void networkClient::handle(netIncoming& event) {
    switch (event.kind) {
    case netEventKind::connected:
        onConnectComplete(event.detail);
        return;
    case netEventKind::received:
        relayReceived(event);
        return;
    case netEventKind::sessionEnded:
        onSessionEnded(static_cast<uint32_t>(event.detail));
        return;
    default:
        ZEB_FAIL("Handle this message!"); // a host's event never reaches a client
        return;
    }
}

void networkClient::holdSends() {
    if (m_client != nullptr)
        m_client->holdSends();
}

void networkClient::releaseSends() {
    if (m_client != nullptr)
        m_client->releaseSends();
}

networkGameStanding standingOf(const networkClient::session& listed) {
    networkGameStanding standing;
    standing.dedicated = (listed.rank.flags & RANK_DEDICATED) != 0;
    standing.staysPut = (listed.rank.flags & RANK_STAYS_PUT) != 0;
    standing.players = listed.applicationDesc.currentPlayers;
    standing.maxPlayers = listed.applicationDesc.maxPlayers;
    standing.secondsHosted = listed.rank.secondsHosted;
    standing.instance = listed.applicationDesc.instanceGuid;
    return standing;
}
