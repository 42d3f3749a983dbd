#include "platform/net/netpeer.h"

#include "platform/net/netprotocol.h"

#include <enet/enet.h>

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
