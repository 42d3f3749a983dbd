#include "platform/net/netpeer.h"

#include "platform/net/netprotocol.h"

#include <enet/enet.h>
#include <enet/time.h>

void setPeerTimeouts(ENetPeer* peer) {
    enet_peer_timeout(peer, NET_PEER_TIMEOUT_LIMIT, NET_PEER_TIMEOUT_MINIMUM_MS, NET_PEER_TIMEOUT_MAXIMUM_MS);
}

void configurePeer(ENetPeer* peer) {
    setPeerTimeouts(peer);
    // ENet's throttle drops unreliable packets when the round trip wobbles; the
    // game's traffic is small and paced, so a burst must not cost messages.
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL,
                                 ENET_PEER_PACKET_THROTTLE_ACCELERATION, 0);
}

void disconnectAfterDelivery(ENetPeer* peer, uint32_t data) {
    enet_peer_ping(peer);
    enet_peer_disconnect_later(peer, data);
}

uint32_t netPeerClock() {
    return enet_time_get();
}

bool isHandshaking(const ENetPeer* peer) {
    switch (peer->state) {
    case ENET_PEER_STATE_CONNECTING:
    case ENET_PEER_STATE_ACKNOWLEDGING_CONNECT:
    case ENET_PEER_STATE_CONNECTION_PENDING:
    case ENET_PEER_STATE_CONNECTION_SUCCEEDED:
        return true;
    default:
        return false;
    }
}

uint32_t quietFor(const ENetPeer* peer, uint32_t since, uint32_t now) {
    // lastReceiveTime is 0 until the first acknowledgement arrives.
    const uint32_t last = peer->lastReceiveTime != 0 && ENET_TIME_LESS(since, peer->lastReceiveTime)
                              ? peer->lastReceiveTime
                              : since;
    return ENET_TIME_LESS(now, last) ? 0 : ENET_TIME_DIFFERENCE(now, last);
}

int msUntil(uint32_t deadline, uint32_t now) {
    if (!ENET_TIME_LESS(now, deadline))
        return 0;
    const uint32_t left = ENET_TIME_DIFFERENCE(deadline, now);
    return left < static_cast<uint32_t>(NET_SERVICE_IDLE_MS) ? static_cast<int>(left) : NET_SERVICE_IDLE_MS;
}

int msUntilPeerDue(const ENetPeer* peer, uint32_t now) {
    if (peer->state == ENET_PEER_STATE_DISCONNECTED)
        return NET_SERVICE_IDLE_MS;
    // Acknowledgements go out at the next service; commands still queued wait
    // for room in the window, which an acknowledgement from the other end makes.
    if (!enet_list_empty(&peer->acknowledgements))
        return 0;
    if (!enet_list_empty(&peer->outgoingCommands))
        return 1;
    if (!enet_list_empty(&peer->sentReliableCommands))
        return msUntil(peer->nextTimeout, now);
    if (peer->state == ENET_PEER_STATE_CONNECTED || peer->state == ENET_PEER_STATE_DISCONNECT_LATER)
        return msUntil(peer->lastReceiveTime + peer->pingInterval, now);
    return NET_SERVICE_IDLE_MS;
}
