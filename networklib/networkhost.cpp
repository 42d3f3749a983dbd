#include "networklib/networkhost.h"

#include "assertion.h"
#include "littleendian.h"
#include "platform/net/netevents.h"
#include "platform/net/netprotocol.h"
#include "platform/net/netserver.h"
#include "platform/net/netsettings.h"

#include <cstdio>

networkHost::networkHost() : m_port(getGamePort()) {}

networkHost::~networkHost() {
    // The service thread may still call the handler until the server is gone.
    m_server.reset();
}

void networkHost::initialise() {
    networkConnection::initialise();
    m_applicationDesc.flags = NET_SESSION_CLIENT_SERVER;
}

void networkHost::startHosting() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_server != nullptr && m_server->isHosting())
        return;
    if (m_server == nullptr)
        m_server = std::make_unique<netServer>();
    if (!m_server->initialise(this, &networkHost::messageHandler)) {
        std::printf("Failed To Initialise Server.\n");
        return;
    }
    netApplicationDesc desc = m_applicationDesc;
    desc.instanceGuid = makeRandomGuid();
    if (m_server->host(desc, m_port, getDiscoveryPort()) == NET_OK)
        m_connected = true;
}

void networkHost::stopHosting() {
    if (m_server == nullptr)
        return;
    m_server->close();
    m_connected = false;
}

void networkHost::send(const networkMessage& message) {
    if (m_server == nullptr) {
        reportAssertion("Host or Peer MUST be set up", "( this->m_server != NULL )", __FILE__, __LINE__);
        return;
    }
    m_server->sendTo(message.getDestination(), message.getWireBuffer(),
                     static_cast<size_t>(message.getWireSize()), message.isGuaranteed());
}

void networkHost::dropPlayer(uint32_t playerID, networkDropReason reason) {
    if (m_server == nullptr)
        return;
    m_server->disconnectPlayer(playerID, reason == networkDropReason::gameFull ? NET_DISCONNECT_GAME_FULL
                                                                               : NET_DISCONNECT_NOT_JOINED);
}

void networkHost::setJoinedPlayers(uint32_t count) {
    if (m_server != nullptr)
        m_server->setJoinedPlayers(count);
}

uint16_t networkHost::getPort() const {
    return m_server != nullptr && m_server->isHosting() ? m_server->getPort() : 0;
}

uint32_t networkHost::getPlayerCount() const {
    return m_server != nullptr ? m_server->getPlayerCount() : 0;
}

netServerStats networkHost::getStats() const {
    return m_server != nullptr ? m_server->getStats() : netServerStats();
}

uint64_t networkHost::getSentBytes() const {
    return m_server != nullptr ? m_server->getSentBytes() : 0;
}

int networkHost::messageHandler(void* userContext, uint32_t messageId, void* message) {
    if (userContext == nullptr) {
        reportAssertion("Must have a valid user context", "( UserContext != NULL )", __FILE__, __LINE__);
        return NET_OK; // nowhere to queue anything
    }
    static_cast<networkHost*>(userContext)->handle(messageId, message);
    return NET_OK;
}

void networkHost::handle(uint32_t messageId, void* message) {
    networkMessage toRelay;
    switch (messageId) {
    case NET_MSGID_CREATE_PLAYER: {
        const auto* created = static_cast<const netMsgCreatePlayer*>(message);
        uint8_t payload[NETWORK_PLAYER_CREATED_SIZE];
        writeU32(payload, created->playerID);
        toRelay = networkMessage(NETWORK_PLAYER_CREATED, payload, sizeof(payload));
        break;
    }
    case NET_MSGID_DESTROY_PLAYER: {
        const auto* destroyed = static_cast<const netMsgDestroyPlayer*>(message);
        uint8_t payload[NETWORK_PLAYER_DESTROYED_SIZE];
        writeU32(payload, destroyed->playerID);
        writeU32(payload + 4, destroyed->reason);
        toRelay = networkMessage(NETWORK_PLAYER_DESTROYED, payload, sizeof(payload));
        break;
    }
    case NET_MSGID_RECEIVE:
        relayReceived(*static_cast<const netMsgReceive*>(message));
        return;
    default:
        ZEB_FAIL("Handle this message!");
        return;
    }
    relay(toRelay);
}

void networkHost::holdSends() {
    if (m_server != nullptr)
        m_server->holdSends();
}

void networkHost::releaseSends() {
    if (m_server != nullptr)
        m_server->releaseSends();
}
