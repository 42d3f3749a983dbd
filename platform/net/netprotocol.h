#pragma once

#include <cstddef>
#include <cstdint>

// Transport limits and codes shared by the server and client objects.
constexpr size_t NET_MAX_PEERS = 64;    // slots; the game refuses players itself
constexpr size_t NET_CHANNEL_COUNT = 1; // everything on channel 0
constexpr uint8_t NET_CHANNEL = 0;
constexpr size_t NET_MAX_PACKET_SIZE = 1024 * 1024; // larger packets are refused by the transport
// A service thread sleeps until a packet or a send wakes it, or until the
// transport's next resend, ping or deadline is due; never longer than this,
// for what ENet keeps to itself (its bandwidth epoch is a second).
constexpr int NET_SERVICE_IDLE_MS = 1000;
constexpr int NET_CONNECT_DEADLINE_MS = 3000;          // a connect gives up after this
constexpr uint32_t NET_PEER_TIMEOUT_LIMIT = 32;        // ENet's default resend count
constexpr uint32_t NET_PEER_TIMEOUT_MINIMUM_MS = 2000; // a silent peer is dropped between these two
constexpr uint32_t NET_PEER_TIMEOUT_MAXIMUM_MS = 4000;
// ENet checks a peer's time-out only when it resends, and its resends back off
// (a lossy link took 7.5 s to notice a dead peer): a connected peer that has
// acknowledged nothing for this long is dropped by the service thread itself.
// ENet pings an idle peer every 500 ms, so a live one is never this quiet.
constexpr uint32_t NET_PEER_SILENCE_LIMIT_MS = 4000;
// A connect that the other side never completes holds a peer slot: it is
// reset after this long, or much sooner while slots run short.
constexpr uint32_t NET_HANDSHAKE_LIMIT_MS = 2000;
constexpr uint32_t NET_CROWDED_HANDSHAKE_MS = 250;
constexpr size_t NET_FREE_PEER_RESERVE = 8; // fewer free slots than this: crowded
// A game services the transport itself when it takes its events each frame or
// tick; one that has not done so for this long leaves the socket to the
// service thread again.
constexpr uint32_t NET_PUMP_GRACE_MS = 100;
constexpr int NET_STOP_LINGER_MS = 100; // a stopping host waits this long for goodbyes
// A leaving client waits this long for what it sent last, and its goodbye, to
// be acknowledged: a large packet handed over just before the leave may take
// a while on a busy machine, and a plain disconnect would drop what is left.
constexpr int NET_LEAVE_LINGER_MS = 1000;
constexpr int NET_DISCOVERY_BURST = 64; // datagrams handled per service round
// Received data ENet holds for one peer (fragments being put together, packets
// not yet serviced): room for the largest packet and the next one, where
// ENet's default is 32 MB per peer.
constexpr size_t NET_MAX_WAITING_DATA = 2 * NET_MAX_PACKET_SIZE;
// Packets the game thread may hand over before the service thread takes them.
// It takes them within milliseconds; a backlog this large means it cannot keep
// up, and the game thread drops rather than growing without end.
constexpr size_t NET_OUTBOX_MAX_PACKETS = 16384;
constexpr size_t NET_OUTBOX_MAX_BYTES = 64 * NET_MAX_PACKET_SIZE;

// Data carried by ENet's disconnect command.
constexpr uint32_t NET_DISCONNECT_LEAVE = 1;        // a client left on purpose
constexpr uint32_t NET_DISCONNECT_HOST_STOPPED = 2; // the host ended the session
constexpr uint32_t NET_DISCONNECT_REFUSED = 3;      // wrong protocol version
constexpr uint32_t NET_DISCONNECT_GAME_FULL = 4;    // the game has no place for another player
constexpr uint32_t NET_DISCONNECT_NOT_JOINED = 5;   // connected, but never asked to join
constexpr uint32_t NET_DISCONNECT_TIMED_OUT = 6;    // stopped answering

static_assert(NET_PEER_TIMEOUT_MAXIMUM_MS < 5000, "a killed peer must be dropped within 5 s");
static_assert(NET_PEER_SILENCE_LIMIT_MS < 5000, "a killed peer must be dropped within 5 s");
