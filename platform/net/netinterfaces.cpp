#include "platform/net/netinterfaces.h"

#include <algorithm>

namespace {

constexpr uint32_t LINK_LOCAL_NETWORK = 0xA9FE0000; // 169.254.0.0/16
constexpr uint32_t LINK_LOCAL_MASK = 0xFFFF0000;
constexpr uint32_t LOOPBACK_NETWORK = 0x7F000000; // 127.0.0.0/8
constexpr uint32_t LOOPBACK_MASK = 0xFF000000;

bool isLinkLocal(uint32_t address) {
    return (address & LINK_LOCAL_MASK) == LINK_LOCAL_NETWORK;
}

bool isLoopbackAddress(uint32_t address) {
    return (address & LOOPBACK_MASK) == LOOPBACK_NETWORK;
}

// A /31 or /32 has no broadcast address of its own.
bool hasHostPart(uint32_t netmask) {
    return (~netmask) > 1;
}

} // namespace

std::vector<uint32_t> directedBroadcasts(const std::vector<netInterfaceAddress>& interfaces) {
    std::vector<uint32_t> targets;
    for (const netInterfaceAddress& entry : interfaces) {
        if (!entry.canBroadcast || entry.isLoopback || isLoopbackAddress(entry.address) ||
            isLinkLocal(entry.address) || !hasHostPart(entry.netmask))
            continue;
        const uint32_t broadcast = entry.address | ~entry.netmask;
        if (std::find(targets.begin(), targets.end(), broadcast) == targets.end())
            targets.push_back(broadcast);
    }
    return targets;
}
