#include "platform/net/netinterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

std::vector<netInterfaceAddress> listInterfaceAddresses() {
    std::vector<netInterfaceAddress> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return found;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_netmask == nullptr ||
            entry->ifa_addr->sa_family != AF_INET)
            continue;
        if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_RUNNING) == 0)
            continue;
        netInterfaceAddress address;
        address.address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
        address.netmask = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
        address.canBroadcast = (entry->ifa_flags & IFF_BROADCAST) != 0;
        address.isLoopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        found.push_back(address);
    }
    freeifaddrs(list);
    return found;
}
