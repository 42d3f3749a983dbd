#pragma once

#include "platform/net/netsocket.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Non-blocking TCP for the web port. Reads and writes never wait.
constexpr long NET_TCP_WOULD_BLOCK = -1;
constexpr long NET_TCP_FAILED = -2; // reset or closed by the other end: the connection is over

// Listening on every IPv4 address at port (0: the system picks); a port taken
// by another listener fails (NET_NO_SOCKET).
netSocketHandle openTcpListener(uint16_t port);
// One waiting connection, non-blocking with Nagle off; NET_NO_SOCKET when none.
// fromHost: the other end's IPv4 address, host order.
netSocketHandle acceptTcp(netSocketHandle listener, uint32_t& fromHost);
// Bytes read (0: the other end finished sending), or NET_TCP_WOULD_BLOCK / NET_TCP_FAILED.
long receiveTcp(netSocketHandle fd, uint8_t* buffer, size_t capacity);
// Bytes written (0 when none fit now), or NET_TCP_FAILED.
long sendTcp(netSocketHandle fd, const uint8_t* data, size_t size);
// Sends the other end a finish after what was written; reading goes on.
void shutdownTcpSending(netSocketHandle fd);
// A blocking connect to a loopback or LAN address, then non-blocking (tests' clients).
netSocketHandle connectTcp(uint32_t host, uint16_t port);

struct netPollEntry {
    netSocketHandle socket = NET_NO_SOCKET;
    bool wantWrite = false;
    bool readable = false; // set by pollSockets; a closed or failed socket reads as readable
    bool writable = false;
};

// Waits up to timeoutMs (-1: without end) until one of the sockets is ready.
void pollSockets(std::vector<netPollEntry>& entries, int timeoutMs);
