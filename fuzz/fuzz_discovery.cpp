#include "platform/net/netdiscovery.h"

#include <algorithm>

// Every discovery datagram. One that decodes must encode back to its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    discoveryQuery query;
    if (decodeDiscoveryQuery(data, size, query)) {
        const std::vector<uint8_t> again = encodeDiscoveryQuery(query);
        if (!std::equal(again.begin(), again.end(), data, data + size))
            __builtin_trap();
    }
    discoveryAnswer answer;
    if (decodeDiscoveryAnswer(data, size, answer)) {
        const std::vector<uint8_t> again = encodeDiscoveryAnswer(answer);
        if (!std::equal(again.begin(), again.end(), data, data + size))
            __builtin_trap();
    }
    discoveryClaim claim;
    if (decodeDiscoveryClaim(data, size, claim)) {
        const std::vector<uint8_t> again = encodeDiscoveryClaim(claim);
        if (!std::equal(again.begin(), again.end(), data, data + size))
            __builtin_trap();
    }
    discoveryRank rank;
    if (decodeDiscoveryRank(data, size, rank)) {
        const std::vector<uint8_t> again = encodeDiscoveryRank(rank);
        if (!std::equal(again.begin(), again.end(), data, data + size))
            __builtin_trap();
    }
    return 0;
}
