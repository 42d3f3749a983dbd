#include "platform/net/netinterfaces.h"

// winsock2.h comes before any header that would bring in the old winsock.h.
#include <winsock2.h>

#include <iphlpapi.h>

namespace {

constexpr ULONG FIRST_BUFFER_SIZE = 16 * 1024; // what Microsoft advises to start with
constexpr int BUFFER_ATTEMPTS = 3;             // adapters may come between the calls

uint32_t prefixToNetmask(unsigned prefixLength) {
    if (prefixLength == 0)
        return 0;
    if (prefixLength >= 32)
        return 0xFFFFFFFFu;
    return ~((1u << (32 - prefixLength)) - 1u);
}

} // namespace

// Windows reports a broadcast address that is of no use (often 255.255.255.255):
// only the address and its prefix length are taken, the broadcast is computed.
std::vector<netInterfaceAddress> listInterfaceAddresses() {
    std::vector<netInterfaceAddress> found;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    std::vector<unsigned char> buffer(FIRST_BUFFER_SIZE);
    ULONG size = FIRST_BUFFER_SIZE;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < BUFFER_ATTEMPTS && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = GetAdaptersAddresses(AF_INET, flags, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR)
        return found;
    for (const IP_ADAPTER_ADDRESSES* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp)
            continue;
        const bool loopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const SOCKADDR* raw = unicast->Address.lpSockaddr;
            if (raw == nullptr || raw->sa_family != AF_INET)
                continue;
            netInterfaceAddress address;
            address.address = ntohl(reinterpret_cast<const sockaddr_in*>(raw)->sin_addr.s_addr);
            address.netmask = prefixToNetmask(unicast->OnLinkPrefixLength);
            // Every IPv4 adapter but loopback and point-to-point links broadcasts.
            address.canBroadcast = !loopback && adapter->IfType != IF_TYPE_PPP;
            address.isLoopback = loopback;
            found.push_back(address);
        }
    }
    return found;
}
