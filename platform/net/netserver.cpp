#include "platform/net/netserver.h"

#include "platform/net/netdiscovery.h"
#include "platform/net/netenet.h"
#include "platform/net/netpeer.h"
#include "platform/net/netprotocol.h"
#include "platform/net/netreply.h"
#include "platform/net/netsocket.h"

#include <algorithm>
#include <chrono>
#include <enet/enet.h>
#include <enet/time.h>

namespace {

uint32_t playerOf(const ENetPeer* peer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(peer->data));
}

ENetHost* createListeningHost(uint16_t port) {
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    ENetHost* host = enet_host_create(&address, NET_MAX_PEERS, NET_CHANNEL_COUNT, 0, 0);
    if (host != nullptr)
        setCloseOnExec(host->socket);
    return host;
}

} // namespace

netServer::~netServer() {
    close();
}

bool netServer::host(const netApplicationDesc& desc, uint16_t port, uint16_t discoveryPort,
                     bool anyPortWhenTaken) {
    if (m_hosting || !canStart())
        return false;
    ENetHost* host = createListeningHost(port);
    if (host == nullptr && anyPortWhenTaken) // another copy already hosts on this port
        host = createListeningHost(0);
    if (host == nullptr)
        return false;
    host->maximumPacketSize = NET_MAX_PACKET_SIZE;
    host->maximumWaitingData = NET_MAX_WAITING_DATA;
    m_port = host->address.port;
    m_desc = desc;
    m_desc.sessionName = limitSessionName(desc.sessionName);
    // Without discovery the session can still be joined by address.
    m_discoveryFd = openDiscoveryListener(discoveryPort);
    if (m_discoveryFd != NET_NO_SOCKET)
        reportLocalAddresses(m_discoveryFd);
    m_peerSince.assign(host->peerCount, 0);
    m_joinedPlayers = 0;
    m_hostedSince = std::chrono::steady_clock::now();
    m_hosting = true;
    startService(host, "zeb-host-net");
    if (m_webWanted) {
        netWebServer::hooks hooks;
        hooks.nextPlayerID = [this] { return m_nextPlayerID++; };
        hooks.post = [this](netIncoming event) { post(std::move(event)); };
        m_web.start(m_webPort, m_webRoot, std::move(hooks));
    }
    return true;
}

void netServer::close() {
    stopService();
    m_web.stop();
    m_hosting = false;
}

void netServer::sendTo(uint32_t destination, const uint8_t* data, size_t size, bool reliable) {
    if (!m_hosting)
        return;
    netOutgoing packet;
    packet.destination = destination;
    packet.reliable = reliable;
    if (data != nullptr)
        packet.bytes.assign(data, data + size);
    post(std::move(packet));
}

void netServer::disconnectPlayer(uint32_t playerID, uint32_t data) {
    if (!m_hosting || playerID == 0)
        return;
    netOutgoing request;
    request.destination = playerID;
    request.disconnect = true;
    request.disconnectData = data;
    post(std::move(request));
}

void netServer::sendPacket(netOutgoing& outgoing) {
    const auto player = m_players.find(outgoing.destination);
    if (outgoing.disconnect) {
        if (player != m_players.end()) {
            m_closingPlayers.insert(outgoing.destination);
            disconnectAfterDelivery(player->second, outgoing.disconnectData);
        } else {
            m_web.disconnect(outgoing.destination, outgoing.disconnectData);
        }
        return;
    }
    // A browser's share leaves by the web port; the game does not know which
    // transport a player came by.
    if (outgoing.destination == 0 || player == m_players.end())
        m_web.send(outgoing.destination, outgoing.bytes.data(), outgoing.bytes.size(), outgoing.reliable);
    if (outgoing.destination != 0 && player == m_players.end())
        return;
    const enet_uint32 flags = outgoing.reliable ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(outgoing.bytes.data(), outgoing.bytes.size(), flags);
    if (packet == nullptr)
        return;
    if (outgoing.destination == 0) {
        enet_host_broadcast(m_host, NET_CHANNEL, packet);
        m_sentMessages += m_players.size();
        return;
    }
    if (enet_peer_send(player->second, NET_CHANNEL, packet) != 0)
        enet_packet_destroy(packet);
    else
        ++m_sentMessages;
}

netServerStats netServer::getStats() const {
    netServerStats stats;
    stats.sentBytes = getSentBytes();
    stats.receivedBytes = getReceivedBytes();
    stats.sentDatagrams = getSentDatagrams();
    stats.receivedDatagrams = getReceivedDatagrams();
    const netWebStats web = m_web.getStats();
    stats.sentMessages = m_sentMessages + web.sentMessages;
    stats.receivedMessages = m_receivedMessages + web.receivedMessages;
    stats.droppedPeers = m_droppedPeers + web.droppedPlayers;
    stats.webSentBytes = web.sentBytes;
    stats.webReceivedBytes = web.receivedBytes;
    stats.browserPlayersJoined = web.playersJoined;
    stats.refusedConnects = m_refusedConnects;
    return stats;
}

bool netServer::dispatch(ENetEvent& event) {
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        onConnect(event.peer, event.data);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        onDisconnect(event.peer, event.data);
        break;
    case ENET_EVENT_TYPE_RECEIVE: {
        const uint32_t player = playerOf(event.peer);
        if (player != 0) { // a refused peer's data goes nowhere
            ++m_receivedMessages;
            netIncoming received{netEventKind::received, player, 0, {}};
            received.bytes.assign(event.packet->data, event.packet->data + event.packet->dataLength);
            post(std::move(received));
        }
        enet_packet_destroy(event.packet);
        break;
    }
    default:
        break;
    }
    return true;
}

void netServer::onConnect(ENetPeer* peer, uint32_t version) {
    if (version != NET_PROTOCOL_VERSION) {
        ++m_refusedConnects;
        peer->data = nullptr;
        enet_peer_disconnect(peer, NET_DISCONNECT_REFUSED);
        return;
    }
    const uint32_t player = m_nextPlayerID++;
    peer->data = reinterpret_cast<void*>(static_cast<uintptr_t>(player));
    configurePeer(peer);
    m_peerSince[static_cast<size_t>(peer - m_host->peers)] = netPeerClock();
    m_players[player] = peer;
    ++m_playerCount;
    post(netIncoming{netEventKind::playerJoined,
                     player,
                     static_cast<int32_t>(ENET_NET_TO_HOST_32(peer->address.host)),
                     {}});
}

void netServer::onDisconnect(ENetPeer* peer, uint32_t data) {
    const uint32_t player = playerOf(peer);
    peer->data = nullptr;
    if (player == 0 || m_players.erase(player) == 0)
        return;
    --m_playerCount;
    // A time-out carries no data; a client that leaves says so.
    if (m_closingPlayers.erase(player) == 0 && data != NET_DISCONNECT_LEAVE)
        ++m_droppedPeers;
    postLeave(player, data == NET_DISCONNECT_LEAVE ? NET_REASON_NORMAL : NET_REASON_CONNECTION_LOST);
}

// Every peer the transport creates, a half-open connect included, carries the
// game's time-outs from the first service round that sees it. Handshakes that
// never finish are reset, early when slots run short, so that a burst of
// forged connects cannot lock newcomers out; connected peers that have gone
// quiet are dropped without waiting for ENet's backed-off resends.
bool netServer::supervise() {
    const uint32_t now = netPeerClock();
    size_t freeSlots = 0;
    for (size_t i = 0; i < m_host->peerCount; ++i) {
        if (m_host->peers[i].state == ENET_PEER_STATE_DISCONNECTED) {
            m_peerSince[i] = 0;
            ++freeSlots;
        }
    }
    const uint32_t handshakeLimit =
        freeSlots < NET_FREE_PEER_RESERVE ? NET_CROWDED_HANDSHAKE_MS : NET_HANDSHAKE_LIMIT_MS;
    for (size_t i = 0; i < m_host->peerCount; ++i) {
        ENetPeer* peer = &m_host->peers[i];
        if (peer->state == ENET_PEER_STATE_DISCONNECTED)
            continue;
        if (m_peerSince[i] == 0) {
            m_peerSince[i] = now;
            setPeerTimeouts(peer);
        }
        const uint32_t quiet = quietFor(peer, m_peerSince[i], now);
        if (isHandshaking(peer) && ENET_TIME_DIFFERENCE(now, m_peerSince[i]) >= handshakeLimit) {
            enet_peer_reset(peer);
            m_peerSince[i] = 0;
        } else if (peer->state == ENET_PEER_STATE_CONNECTED && quiet >= NET_PEER_SILENCE_LIMIT_MS) {
            dropSilentPeer(peer);
            m_peerSince[i] = 0;
        }
    }
    return true; // the host goes on whoever leaves
}

int netServer::msUntilDue() const {
    const uint32_t now = netPeerClock();
    size_t freeSlots = 0;
    for (size_t i = 0; i < m_host->peerCount; ++i)
        freeSlots += m_host->peers[i].state == ENET_PEER_STATE_DISCONNECTED ? 1 : 0;
    const uint32_t handshakeLimit =
        freeSlots < NET_FREE_PEER_RESERVE ? NET_CROWDED_HANDSHAKE_MS : NET_HANDSHAKE_LIMIT_MS;
    int due = NET_SERVICE_IDLE_MS;
    for (size_t i = 0; i < m_host->peerCount; ++i) {
        const ENetPeer* peer = &m_host->peers[i];
        if (peer->state == ENET_PEER_STATE_DISCONNECTED)
            continue;
        due = std::min(due, msUntilPeerDue(peer, now));
        if (m_peerSince[i] == 0)
            return 0; // not yet seen by the supervision
        if (isHandshaking(peer))
            due = std::min(due, msUntil(m_peerSince[i] + handshakeLimit, now));
        else if (peer->state == ENET_PEER_STATE_CONNECTED)
            due = std::min(
                due, msUntil(now + NET_PEER_SILENCE_LIMIT_MS - quietFor(peer, m_peerSince[i], now), now));
    }
    return due;
}

void netServer::dropSilentPeer(ENetPeer* peer) {
    const uint32_t player = playerOf(peer);
    enet_peer_disconnect_now(peer, NET_DISCONNECT_TIMED_OUT);
    peer->data = nullptr;
    if (player == 0 || m_players.erase(player) == 0)
        return;
    --m_playerCount;
    if (m_closingPlayers.erase(player) == 0)
        ++m_droppedPeers;
    postLeave(player, NET_REASON_CONNECTION_LOST);
}

void netServer::postLeave(uint32_t player, uint32_t reason) {
    post(netIncoming{netEventKind::playerLeft, player, static_cast<int32_t>(reason), {}});
}

// A query and a claim are answered alike: a copy about to host learns of a
// game that began meanwhile. The rank follows the answer, for other hosts.
void netServer::serviceSideSocket() {
    uint8_t buffer[DISCOVERY_CLAIM_SIZE + 1];
    for (int i = 0; i < NET_DISCOVERY_BURST; ++i) {
        netAddress from;
        uint32_t local = 0;
        const long size = receiveDatagramAt(m_discoveryFd, buffer, sizeof(buffer), from, local);
        if (size < 0)
            return;
        // A datagram larger than the buffer reports its full size and fails the size check.
        if (!isQueryForThisGame(buffer, static_cast<size_t>(size)))
            continue;
        discoveryAnswer answer;
        answer.desc = m_desc;
        answer.desc.currentPlayers = m_joinedPlayers;
        answer.gamePort = m_port;
        const std::vector<uint8_t> answerBytes = encodeDiscoveryAnswer(answer);
        discoveryRank rank;
        rank.applicationGuid = m_desc.applicationGuid;
        rank.instanceGuid = m_desc.instanceGuid;
        const auto now = std::chrono::steady_clock::now();
        rank.secondsHosted = static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::seconds>(now - m_hostedSince).count());
        rank.flags = m_rankFlags;
        const std::vector<uint8_t> rankBytes = encodeDiscoveryRank(rank);
        if (!m_discoveryAnswers.allow(from.host, from.port, now, answerBytes.size() + rankBytes.size()))
            continue;
        // A broadcast query's local address is the card's own, not the broadcast address.
        sendDatagramFrom(m_discoveryFd, local, from, answerBytes);
        sendDatagramFrom(m_discoveryFd, local, from, rankBytes);
    }
}

bool netServer::isQueryForThisGame(const uint8_t* data, size_t size) const {
    discoveryQuery query;
    discoveryClaim claim;
    if (decodeDiscoveryQuery(data, size, query))
        return query.version == NET_PROTOCOL_VERSION && query.applicationGuid == m_desc.applicationGuid;
    if (decodeDiscoveryClaim(data, size, claim))
        return claim.version == NET_PROTOCOL_VERSION && claim.applicationGuid == m_desc.applicationGuid;
    return false;
}

void netServer::shutdownTransport() {
    closeSocket(m_discoveryFd);
    m_discoveryFd = NET_NO_SOCKET;
    for (size_t i = 0; i < m_host->peerCount; ++i) {
        ENetPeer* peer = &m_host->peers[i];
        if (peer->state == ENET_PEER_STATE_CONNECTED)
            disconnectAfterDelivery(peer, NET_DISCONNECT_HOST_STOPPED);
        else if (peer->state != ENET_PEER_STATE_DISCONNECTED)
            enet_peer_disconnect(peer, NET_DISCONNECT_HOST_STOPPED);
    }
    enet_host_flush(m_host);
    // Linger briefly for the goodbyes; no events reach the game now.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(NET_STOP_LINGER_MS);
    ENetEvent event;
    while (!m_players.empty() && std::chrono::steady_clock::now() < deadline) {
        if (enet_host_service(m_host, &event, 1) <= 0)
            continue;
        if (event.type == ENET_EVENT_TYPE_DISCONNECT)
            m_players.erase(playerOf(event.peer));
        if (event.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(event.packet);
    }
    for (const auto& player : m_players) // slow to answer: tell them anyway
        enet_peer_disconnect(player.second, NET_DISCONNECT_HOST_STOPPED);
    enet_host_flush(m_host);
    m_players.clear();
    m_closingPlayers.clear();
    m_playerCount = 0;
}
