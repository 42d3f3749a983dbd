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
