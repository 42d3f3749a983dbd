#pragma once

#include "platform/net/netapplicationdesc.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Discovery datagrams, all integers little-endian.
// Query:  "ZEBQ", protocol version (u32), application GUID (16).
// Answer: "ZEBA", version (u32), application GUID (16), instance GUID (16),
//         game port (u16), players now (u32), maximum players (u32),
//         name length (u8), name (UTF-8, that many bytes).
constexpr uint32_t NET_PROTOCOL_VERSION = 1;
constexpr int DISCOVERY_MAGIC_SIZE = 4;
constexpr int DISCOVERY_QUERY_SIZE = DISCOVERY_MAGIC_SIZE + 4 + NET_GUID_SIZE;
constexpr int DISCOVERY_ANSWER_FIXED_SIZE = DISCOVERY_MAGIC_SIZE + 4 + 2 * NET_GUID_SIZE + 2 + 4 + 4 + 1;
constexpr int DISCOVERY_ANSWER_MAX_SIZE = DISCOVERY_ANSWER_FIXED_SIZE + NET_MAX_SESSION_NAME;
static_assert(DISCOVERY_QUERY_SIZE == 24, "query layout");
static_assert(DISCOVERY_ANSWER_FIXED_SIZE == 51, "answer layout");

struct discoveryQuery {
    uint32_t version = NET_PROTOCOL_VERSION;
    netGuid applicationGuid;
};

struct discoveryAnswer {
    uint32_t version = NET_PROTOCOL_VERSION;
    netApplicationDesc desc; // flags do not travel
    uint16_t gamePort = 0;
};

std::vector<uint8_t> encodeDiscoveryQuery(const discoveryQuery& query);
std::vector<uint8_t> encodeDiscoveryAnswer(const discoveryAnswer& answer); // name cut to 255 bytes

// Both refuse (false, out untouched) a datagram of the wrong size or magic.
bool decodeDiscoveryQuery(const uint8_t* data, size_t size, discoveryQuery& out);
bool decodeDiscoveryAnswer(const uint8_t* data, size_t size, discoveryAnswer& out);
