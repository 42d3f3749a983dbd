#pragma once

#include <cstdint>
#include <vector>

// One IPv4 address of a network interface that is up, in host byte order.
struct netInterfaceAddress {
    uint32_t address = 0;
    uint32_t netmask = 0;
    bool canBroadcast = false;
    bool isLoopback = false;
};

// The machine's interface addresses as the system reports them at this call
// (cards that came or went since the last call included); empty when the
// system cannot tell.
std::vector<netInterfaceAddress> listInterfaceAddresses();

// The directed broadcast (address | ~netmask) of every address that can
// broadcast, leaving out loopback, link-local 169.254/16 and masks that leave
// no host part; each once, in the order given. Computed rather than taken from
// the system, since some report a useless broadcast address.
std::vector<uint32_t> directedBroadcasts(const std::vector<netInterfaceAddress>& interfaces);
