#pragma once

#include "platform/net/netaddress.h"
#include "platform/net/netsocket.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Answers that leave from the address a query came to. A host on several
// networks that let the routing table pick the source of its answer could
// answer a searcher on one card from the address of another, and the searcher
// would then connect to an address that may not reach the host at all.

// Asks fd (a bound UDP socket) to report each datagram's local address.
bool reportLocalAddresses(netSocketHandle fd);

// Reads one datagram like receiveDatagram, and the local address it was sent
// to in local (0 when the system did not say).
long receiveDatagramAt(netSocketHandle fd, uint8_t* buffer, size_t capacity, netAddress& from,
                       uint32_t& local);

// Sends bytes to `to` from local (any address when local is 0). Where the
// system cannot say or choose the local address, the routing table picks it.
bool sendDatagramFrom(netSocketHandle fd, uint32_t local, const netAddress& to,
                      const std::vector<uint8_t>& bytes);
