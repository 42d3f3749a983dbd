#pragma once

#include "platform/net/netaddress.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Plain UDP sockets for discovery. All are non-blocking; -1 means failure.

// Bound to 0.0.0.0:port with SO_REUSEADDR and SO_REUSEPORT, so several hosts
// on one machine all hear a broadcast query.
int openDiscoveryListener(uint16_t port);

// Bound to an ephemeral port, with SO_BROADCAST for the broadcast targets.
int openDiscoveryQuerySocket();

void closeSocket(int fd);

bool sendDatagram(int fd, const netAddress& to, const std::vector<uint8_t>& bytes);

// Reads one datagram into buffer. Returns its full size (which may exceed
// capacity: the excess is discarded) or -1 when nothing is waiting.
long receiveDatagram(int fd, uint8_t* buffer, size_t capacity, netAddress& from);

// Waits up to timeoutMs for fd to become readable.
bool waitReadable(int fd, int timeoutMs);

uint16_t localPort(int fd); // the port fd is bound to, 0 when unknown

// Keeps fd out of programs this process starts (the bots): a socket a child
// inherits stays open, its port taken, for as long as the child lives. For
// sockets made by a library that does not ask for it itself.
void setCloseOnExec(int fd);
