#include "networklib/networkclient.h"

#include "assertion.h"
#include "displaytext.h"
#include "platform/net/netclient.h"
#include "platform/net/netevents.h"
#include "platform/net/netsettings.h"

#include <algorithm>
#include <cstdio>

const char* describeEnd(networkEnd end) {
    switch (end) {
    case networkEnd::none:
        return "connected";
    case networkEnd::badAddress:
        return "unknown host or bad address";
    case networkEnd::noAnswer:
        return "no answer";
    case networkEnd::refused:
        return "connection refused";
    case networkEnd::gameFull:
        return "the game is full";
    case networkEnd::notJoined:
        return "dropped before joining";
    case networkEnd::hostStopped:
        return "the host ended the game";
    case networkEnd::connectionLost:
        return "the host stopped answering";
    }
    return "unknown";
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

networkClient::~networkClient() {
    // Ends the service thread while the queue and lock it uses still exist.
    m_client.reset();
}

void networkClient::initialise() {
    networkConnection::initialise();
    auto client = std::make_unique<netClient>();
    if (!client->initialise(this, &networkClient::messageHandler)) {
        std::printf("Failed To Initialise Server.\n");
        return;
    }
    m_client = std::move(client);
}

void networkClient::enumerateHosts() {
    if (m_client == nullptr)
        return;
    std::vector<uint32_t> targets = getDiscoveryTargets();
    for (const uint32_t extra : m_extraTargets)
        if (std::find(targets.begin(), targets.end(), extra) == targets.end())
            targets.push_back(extra);
    m_client->enumerateHosts(m_applicationDesc.applicationGuid, targets, getDiscoveryPort(),
                             NET_DISCOVERY_WINDOW_MS);
}

void networkClient::getSessions(std::vector<std::string>& names) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    names.clear();
    for (const session& listed : m_sessions)
        names.push_back(listed.name);
}

std::vector<networkClient::session> networkClient::getSessionRecords() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_sessions;
}

void networkClient::addSession(const session& newSession) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    // A host answers every query it hears, so one search can bring several
    // answers from one session: the session keeps its place and the latest word.
    const netGuid& instance = newSession.applicationDesc.instanceGuid;
    for (session& listed : m_sessions) {
        if (listed.applicationDesc.instanceGuid == instance) {
            listed = newSession;
            return;
        }
    }
    if (m_sessions.size() < MAX_LISTED_SESSIONS)
        m_sessions.push_back(newSession);
}

void networkClient::connect(std::string name) {
    netAddress address;
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        if (m_sessions.empty())
            return;
        auto chosen = std::find_if(m_sessions.begin(), m_sessions.end(),
                                   [&name](const session& listed) { return listed.name == name; });
        if (chosen == m_sessions.end())
            chosen = m_sessions.begin();
        address = chosen->hostAddress;
        if (m_connected || isConnecting())
            return;
        m_hostAddress = chosen->hostAddress;
        m_applicationDesc = chosen->applicationDesc;
    }
    startConnect(address);
}

bool networkClient::connectTo(const std::string& address) {
    netAddress parsed;
    if (!parseAddress(address, getGamePort(), parsed)) {
        m_end = networkEnd::badAddress;
        return false;
    }
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        if (m_connected || isConnecting())
            return false;
        m_hostAddress = parsed;
    }
    return startConnect(parsed);
}

// Outside the lock: starting may wait for the previous connection's thread,
// which may itself be waiting for the lock to queue its last message.
bool networkClient::startConnect(const netAddress& address) {
    if (m_client == nullptr)
        return false;
    m_end = networkEnd::none;
    if (m_client->connect(address) == NET_OK)
        return true;
    m_end = networkEnd::refused;
    relayTerminated();
    return false;
}

void networkClient::disconnect() {
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_connected = false;
    }
    // Outside the lock: closing waits for the service thread, which may be
    // waiting for the lock.
    if (m_client != nullptr)
        m_client->close();
    // A connect that completed while the thread was stopping has marked the
    // client connected again; no handler runs after close on this thread.
    m_connected = false;
}

void networkClient::send(const networkMessage& message) {
    if (m_client == nullptr) {
        reportAssertion("Client MUST be set up", "( this->m_client != NULL )", __FILE__, __LINE__);
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_client->send(message.getWireBuffer(), static_cast<size_t>(message.getWireSize()),
                   message.isGuaranteed());
}

void networkClient::addDiscoveryTarget(uint32_t target) {
    if (std::find(m_extraTargets.begin(), m_extraTargets.end(), target) == m_extraTargets.end())
        m_extraTargets.push_back(target);
}

// Stays true once the transport is up: the handler marks the client connected
// a moment later, and a caller that asks isConnected and then isConnecting
// must never see both false in between.
bool networkClient::isConnecting() const {
    return m_client != nullptr && (m_client->isConnecting() || m_client->isConnected());
}

netAddress networkClient::getHostAddress() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_hostAddress;
}

uint64_t networkClient::getReceivedBytes() const {
    return m_client != nullptr ? m_client->getReceivedBytes() : 0;
}

uint64_t networkClient::getSentBytes() const {
    return m_client != nullptr ? m_client->getSentBytes() : 0;
}

int networkClient::messageHandler(void* userContext, uint32_t messageId, void* message) {
    if (userContext == nullptr) {
        reportAssertion("Must have a valid user context", "( UserContext != NULL )", __FILE__, __LINE__);
        return NET_OK; // nowhere to queue anything
    }
    static_cast<networkClient*>(userContext)->handle(messageId, message);
    return NET_OK;
}

void networkClient::relayTerminated() {
    m_connected = false;
    relay(networkMessage(NETWORK_SESSION_TERMINATED, nullptr, 0));
}

void networkClient::onConnectComplete(int result) {
    if (result == NET_OK) {
        m_connected = true;
        return;
    }
    // A failed connect is not a connection: a game waiting to join must learn of it.
    m_end = result == NET_E_TIMEDOUT ? networkEnd::noAnswer : networkEnd::refused;
    relayTerminated();
}

void networkClient::handle(uint32_t messageId, void* message) {
    switch (messageId) {
    case NET_MSGID_CONNECT_COMPLETE:
        onConnectComplete(static_cast<const netMsgConnectComplete*>(message)->result);
        return;
    case NET_MSGID_ENUM_HOSTS_RESPONSE: {
        const auto* response = static_cast<const netMsgEnumHostsResponse*>(message);
        const netApplicationDesc& desc = *response->applicationDesc;
        if (desc.maxPlayers != 0 && desc.currentPlayers >= desc.maxPlayers)
            return; // a full game has no place for this copy
        session newSession;
        newSession.hostAddress = response->hostAddress;
        newSession.applicationDesc = *response->applicationDesc;
        newSession.name = makeDisplayText(limitSessionName(response->applicationDesc->sessionName));
        addSession(newSession);
        return;
    }
    case NET_MSGID_RECEIVE:
        relayReceived(*static_cast<const netMsgReceive*>(message));
        return;
    case NET_MSGID_TERMINATE_SESSION:
        m_end = endOfSession(static_cast<const netMsgTerminateSession*>(message)->reason);
        disconnect();
        relayTerminated();
        return;
    default:
        ZEB_FAIL("Handle this message!");
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
