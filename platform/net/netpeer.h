#pragma once

#include <cstdint>

struct _ENetPeer;

// A silent peer is dropped within the time-outs; safe before the connection is made.
void setPeerTimeouts(_ENetPeer* peer);
// Time-outs and throttling of an established connection, the same at both ends.
void configurePeer(_ENetPeer* peer);

// Disconnects once everything sent so far has reached the other end: ENet drops
// packets that the other end has received but not yet handed out when a
// disconnect arrives with them, so a reliable ping goes first and the
// disconnect waits for its acknowledgement.
void disconnectAfterDelivery(_ENetPeer* peer, uint32_t data);

// The transport's millisecond clock, the one peers' receive times are read on.
uint32_t netPeerClock();
// True while a connection is being set up, in either direction.
bool isHandshaking(const _ENetPeer* peer);
// Milliseconds since the peer last acknowledged anything, or since `since`
// (when the connection was made) if that is later.
uint32_t quietFor(const _ENetPeer* peer, uint32_t since, uint32_t now);

// Milliseconds until ENet has something to do for this peer on its own (a
// resend, a ping, a queued acknowledgement); NET_SERVICE_IDLE_MS when nothing.
int msUntilPeerDue(const _ENetPeer* peer, uint32_t now);
// Milliseconds from now until deadline, 0 when it has passed.
int msUntil(uint32_t deadline, uint32_t now);
