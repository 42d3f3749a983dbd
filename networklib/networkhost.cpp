#include "networklib/networkhost.h"

#include "core/assertion.h"
#include "core/littleendian.h"
#include "networklib/networkrank.h"
#include "platform/net/netaddress.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netevents.h"
#include "platform/net/netinterfaces.h"
#include "platform/net/netprotocol.h"
#include "platform/net/netserver.h"
#include "platform/net/netsettings.h"

#include <algorithm>
#include <cstdio>

static_assert(RANK_STAYS_PUT == DISCOVERY_RANK_STAYS && RANK_DEDICATED == DISCOVERY_RANK_DEDICATED,
              "the rank's flags as they travel");

networkHost::networkHost() : m_port(getGamePort()) {}

networkHost::~networkHost() = default;

void networkHost::initialise() {
    networkConnection::initialise();
    m_applicationDesc.flags = NET_SESSION_CLIENT_SERVER;
}

void networkHost::startHosting() {
    if (m_server != nullptr && m_server->isHosting())
        return;
    if (m_server == nullptr)
        m_server = std::make_unique<netServer>();
    if (!m_server->initialise()) {
        std::fputs("Failed To Initialise Server.\n", stderr);
        return;
    }
    m_applicationDesc.instanceGuid = makeRandomGuid();
    m_server->setRankFlags(m_rankFlags);
    if (m_webWanted)
        m_server->serveWeb(m_webPort, m_webRoot);
    m_server->host(m_applicationDesc, m_port, getDiscoveryPort(), !m_portRequired);
}

void networkHost::setRank(bool dedicated, bool staysPut) {
    m_rankFlags = static_cast<uint8_t>((dedicated ? RANK_DEDICATED : 0) | (staysPut ? RANK_STAYS_PUT : 0));
    if (m_server != nullptr)
        m_server->setRankFlags(m_rankFlags);
}

// What arrived before the stop stays for the game's next take.
void networkHost::stopHosting() {
    if (m_server == nullptr)
        return;
    m_server->close();
    collectEvents();
}

bool networkHost::isConnected() {
    return m_server != nullptr && m_server->isHosting();
}

void networkHost::send(const networkMessage& message) {
    if (!ZEB_ASSERT(this->m_server != NULL, "Host or Peer MUST be set up"))
        return;
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

void networkHost::serveWeb(uint16_t webPort, const std::string& webRoot) {
    m_webWanted = true;
    m_webPort = webPort;
    m_webRoot = webRoot;
}

uint16_t networkHost::getWebPort() const {
    return m_server != nullptr && m_server->isHosting() ? m_server->getWebPort() : 0;
}

std::vector<std::string> networkHost::getWebAddresses() const {
    const uint16_t port = getWebPort();
    if (port == 0)
        return {};
    std::vector<uint32_t> addresses;
    for (const netInterfaceAddress& card : listInterfaceAddresses()) {
        if (!card.isLoopback &&
            std::find(addresses.begin(), addresses.end(), card.address) == addresses.end())
            addresses.push_back(card.address);
    }
    if (addresses.empty())
        addresses.push_back(0x7F000001); // no network: this machine's own browser still can
    std::vector<std::string> urls;
    for (const uint32_t address : addresses)
        urls.push_back("http://" + formatAddress(netAddress{address, port}) + "/");
    return urls;
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

uint64_t networkHost::getDroppedCount() const {
    return m_server != nullptr ? m_server->getDroppedCount() : 0;
}

void networkHost::pumpTransport() {
    if (m_server != nullptr)
        m_server->pump();
}

void networkHost::takeEvents(std::vector<netIncoming>& events) {
    if (m_server != nullptr)
        m_server->takeEvents(events);
}

void networkHost::handle(netIncoming& event) {
    switch (event.kind) {
    case netEventKind::playerJoined:
        relay(networkEvent{networkEventKind::playerJoined, event.player, 0, 0,
                           static_cast<uint32_t>(event.detail), event.viaBrowser});
        return;
    case netEventKind::playerLeft:
        relay(
            networkEvent{networkEventKind::playerLeft, event.player, static_cast<uint32_t>(event.detail), 0});
        return;
    case netEventKind::received:
        relayReceived(event);
        return;
    default:
        ZEB_FAIL("Handle this message!"); // a client's event never reaches a host
        return;
    }
}

void networkHost::holdSends() {
    if (m_server != nullptr)
        m_server->holdSends();
}

void networkHost::releaseSends() {
    if (m_server != nullptr)
        m_server->releaseSends();
}
