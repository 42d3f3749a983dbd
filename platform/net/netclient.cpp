#include "platform/net/netclient.h"

#include "platform/net/netdiscovery.h"
#include "platform/net/netenet.h"
#include "platform/net/netpeer.h"
#include "platform/net/netprotocol.h"
#include "platform/net/netsearch.h"
#include "platform/net/netsocket.h"

#include <algorithm>
#include <enet/enet.h>

netClient::~netClient() {
    close();
}

std::vector<netHostAnswer> netClient::enumerateHosts(const netGuid& applicationGuid,
                                                     const std::vector<uint32_t>& targets,
                                                     uint16_t discoveryPort, int windowMs) {
    std::vector<netHostAnswer> answers;
    netSearch search;
    if (!search.start(applicationGuid, targets, discoveryPort, windowMs))
        return answers;
    while (search.poll(answers))
        search.wait();
    return answers;
}

bool netClient::connect(const netAddress& address, uint32_t version) {
    if (!canStart() || m_state == CONNECTING || m_state == CONNECTED)
        return false;
    joinEndedService(); // the previous connection's thread has ended or is ending
    ENetHost* host = enet_host_create(nullptr, 1, NET_CHANNEL_COUNT, 0, 0);
    if (host == nullptr)
        return false;
    setCloseOnExec(host->socket);
    host->maximumPacketSize = NET_MAX_PACKET_SIZE;
    host->maximumWaitingData = NET_MAX_WAITING_DATA;
    ENetAddress target{};
    target.host = htonl(address.host);
    target.port = address.port;
    m_peer = enet_host_connect(host, &target, NET_CHANNEL_COUNT, version);
    if (m_peer == nullptr) {
        enet_host_destroy(host);
        return false;
    }
    enet_peer_timeout(m_peer, NET_PEER_TIMEOUT_LIMIT, NET_PEER_TIMEOUT_MINIMUM_MS,
                      NET_PEER_TIMEOUT_MAXIMUM_MS);
    m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(NET_CONNECT_DEADLINE_MS);
    m_state = CONNECTING;
    startService(host, "zeb-client-net");
    return true;
}

void netClient::close() {
    stopService();
}

void netClient::send(const uint8_t* data, size_t size, bool reliable) {
    if (m_state != CONNECTED)
        return;
    netOutgoing packet;
    packet.reliable = reliable;
    if (data != nullptr)
        packet.bytes.assign(data, data + size);
    post(std::move(packet));
}

void netClient::sendPacket(netOutgoing& outgoing) {
    if (m_state != CONNECTED)
        return;
    const enet_uint32 flags = outgoing.reliable ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(outgoing.bytes.data(), outgoing.bytes.size(), flags);
    if (packet != nullptr && enet_peer_send(m_peer, NET_CHANNEL, packet) != 0)
        enet_packet_destroy(packet);
}

// The host's silence and the connect's deadline, which ENet alone would
// notice much later.
bool netClient::supervise() {
    if (isHostSilent()) {
        enet_peer_reset(m_peer); // nothing more will come: leave without a goodbye
        m_peer = nullptr;
        m_state = CLOSING;
        postEnd(NET_REASON_CONNECTION_LOST);
        return false;
    }
    if (m_state == CONNECTING && std::chrono::steady_clock::now() >= m_deadline) {
        enet_peer_reset(m_peer);
        m_peer = nullptr;
        finishConnect(NET_E_TIMEDOUT);
        return false;
    }
    return true;
}

int netClient::msUntilDue() const {
    if (m_peer == nullptr)
        return NET_SERVICE_IDLE_MS;
    const uint32_t now = netPeerClock();
    int due = msUntilPeerDue(m_peer, now);
    if (m_state == CONNECTING) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              m_deadline - std::chrono::steady_clock::now())
                              .count();
        due = std::min<int>(due, static_cast<int>(std::clamp<long long>(left, 0, NET_SERVICE_IDLE_MS)));
    } else if (m_state == CONNECTED) {
        due = std::min(due,
                       msUntil(now + NET_PEER_SILENCE_LIMIT_MS - quietFor(m_peer, m_connectedAt, now), now));
    }
    return due;
}

bool netClient::isHostSilent() const {
    return m_state == CONNECTED && m_peer != nullptr &&
           quietFor(m_peer, m_connectedAt, netPeerClock()) >= NET_PEER_SILENCE_LIMIT_MS;
}

namespace {

uint32_t endReason(uint32_t disconnectData) {
    switch (disconnectData) {
    case NET_DISCONNECT_HOST_STOPPED:
        return NET_REASON_SESSION_TERMINATED;
    case NET_DISCONNECT_GAME_FULL:
        return NET_REASON_GAME_FULL;
    case NET_DISCONNECT_NOT_JOINED:
        return NET_REASON_NOT_JOINED;
    default:
        return NET_REASON_CONNECTION_LOST;
    }
}

} // namespace

void netClient::finishConnect(int result) {
    m_state = result == NET_OK ? CONNECTED : CLOSING;
    post(netIncoming{netEventKind::connected, NET_SERVER_PLAYER_ID, result, {}});
}

void netClient::postEnd(uint32_t reason) {
    post(netIncoming{netEventKind::sessionEnded, NET_SERVER_PLAYER_ID, static_cast<int32_t>(reason), {}});
}

bool netClient::dispatch(ENetEvent& event) {
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        configurePeer(m_peer);
        m_connectedAt = netPeerClock();
        finishConnect(NET_OK);
        return true;
    case ENET_EVENT_TYPE_DISCONNECT: {
        m_peer = nullptr; // ENet has reset it
        if (m_state == CONNECTING) {
            finishConnect(NET_E_NOCONNECTION);
            return false;
        }
        m_state = CLOSING;
        postEnd(endReason(event.data));
        return false;
    }
    case ENET_EVENT_TYPE_RECEIVE: {
        netIncoming received{netEventKind::received, NET_SERVER_PLAYER_ID, 0, {}};
        received.bytes.assign(event.packet->data, event.packet->data + event.packet->dataLength);
        post(std::move(received));
        enet_packet_destroy(event.packet);
        return true;
    }
    default:
        return true;
    }
}

void netClient::shutdownTransport() {
    if (m_peer != nullptr && m_peer->state == ENET_PEER_STATE_CONNECTED) {
        disconnectAfterDelivery(m_peer, NET_DISCONNECT_LEAVE);
        enet_host_flush(m_host);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(NET_LEAVE_LINGER_MS);
        ENetEvent event;
        while (m_peer->state != ENET_PEER_STATE_DISCONNECTED && std::chrono::steady_clock::now() < deadline) {
            if (enet_host_service(m_host, &event, 1) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
        }
        if (m_peer->state != ENET_PEER_STATE_DISCONNECTED) {
            enet_peer_disconnect(m_peer, NET_DISCONNECT_LEAVE);
            enet_host_flush(m_host);
        }
    }
    m_peer = nullptr;
    m_state = IDLE;
}
