#include "platform/net/netdiscovery.h"

#include <algorithm>

// Both discovery datagrams. One that decodes must encode back to its bytes.
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
    return 0;
}
