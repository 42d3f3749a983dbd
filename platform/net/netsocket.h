#pragma once

#include "platform/net/netaddress.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Plain UDP sockets for discovery. All are non-blocking; NET_NO_SOCKET means
// failure. A handle is the system's own: an fd, or a Winsock SOCKET.
#ifdef _WIN32
using netSocketHandle = std::uintptr_t;
constexpr netSocketHandle NET_NO_SOCKET = ~netSocketHandle(0);
#else
using netSocketHandle = int;
constexpr netSocketHandle NET_NO_SOCKET = -1;
#endif

// Readies the system's sockets once per process (Winsock); false when it cannot.
bool netStartSockets();

// Bound to 0.0.0.0:port with SO_REUSEADDR and SO_REUSEPORT, so several hosts
// on one machine all hear a broadcast query.
netSocketHandle openDiscoveryListener(uint16_t port);

// Bound to an ephemeral port, with SO_BROADCAST for the broadcast targets.
netSocketHandle openDiscoveryQuerySocket();

void closeSocket(netSocketHandle fd);

bool sendDatagram(netSocketHandle fd, const netAddress& to, const std::vector<uint8_t>& bytes);

// Reads one datagram into buffer. Returns its full size (which may exceed
// capacity: the excess is discarded) or -1 when nothing is waiting.
long receiveDatagram(netSocketHandle fd, uint8_t* buffer, size_t capacity, netAddress& from);

uint16_t localPort(netSocketHandle fd); // the port fd is bound to, 0 when unknown

// One socket to wait on; NET_NO_SOCKET entries are passed over.
struct netWaitEntry {
    netSocketHandle socket = NET_NO_SOCKET;
    bool readable = false; // set by waitAnyReadable
};

// Waits up to timeoutMs (-1: without end) until one of the sockets can be read.
void waitAnyReadable(netWaitEntry* entries, size_t count, int timeoutMs);

// Waits up to timeoutMs for fd to become readable.
inline bool waitReadable(netSocketHandle fd, int timeoutMs) {
    netWaitEntry entry{fd};
    waitAnyReadable(&entry, 1, timeoutMs);
    return entry.readable;
}

// Keeps a socket out of programs this process starts (the bots): a socket a
// child inherits stays open, its port taken, for as long as the child lives.
// For sockets made by a library that does not ask for it itself.
void setCloseOnExec(netSocketHandle fd);
