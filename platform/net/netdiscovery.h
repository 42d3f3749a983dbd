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
// Claim:  "ZEBC", version (u32), application GUID (16), claimant (16): a copy
//         that found no game and is about to host one. Hosts answer it as a
//         query; other claimants compare claimants and the lower one hosts.
// Rank:   "ZEBR", version (u32), application GUID (16), instance GUID (16),
//         seconds hosted (u32), flags (u8): sent after each answer, so that
//         hosts can tell which of two games the other should join. Copies
//         that know only the query and the answer pass over both.
constexpr uint32_t NET_PROTOCOL_VERSION = 1;
constexpr int DISCOVERY_MAGIC_SIZE = 4;
constexpr int DISCOVERY_QUERY_SIZE = DISCOVERY_MAGIC_SIZE + 4 + NET_GUID_SIZE;
constexpr int DISCOVERY_ANSWER_FIXED_SIZE = DISCOVERY_MAGIC_SIZE + 4 + 2 * NET_GUID_SIZE + 2 + 4 + 4 + 1;
constexpr int DISCOVERY_ANSWER_MAX_SIZE = DISCOVERY_ANSWER_FIXED_SIZE + NET_MAX_SESSION_NAME;
constexpr int DISCOVERY_CLAIM_SIZE = DISCOVERY_QUERY_SIZE + NET_GUID_SIZE;
constexpr int DISCOVERY_RANK_SIZE = DISCOVERY_MAGIC_SIZE + 4 + 2 * NET_GUID_SIZE + 4 + 1;
static_assert(DISCOVERY_QUERY_SIZE == 24, "query layout");
static_assert(DISCOVERY_ANSWER_FIXED_SIZE == 51, "answer layout");
static_assert(DISCOVERY_CLAIM_SIZE == 40, "claim layout");
static_assert(DISCOVERY_RANK_SIZE == 45, "rank layout");

// Rank flags: a game that never moves to another (its operator or its
// players chose it), and one hosted by a dedicated server.
constexpr uint8_t DISCOVERY_RANK_STAYS = 0x01;
constexpr uint8_t DISCOVERY_RANK_DEDICATED = 0x02;
constexpr uint8_t DISCOVERY_RANK_KNOWN_FLAGS = DISCOVERY_RANK_STAYS | DISCOVERY_RANK_DEDICATED;

struct discoveryQuery {
    uint32_t version = NET_PROTOCOL_VERSION;
    netGuid applicationGuid;
};

struct discoveryAnswer {
    uint32_t version = NET_PROTOCOL_VERSION;
    netApplicationDesc desc; // flags do not travel
    uint16_t gamePort = 0;
};

struct discoveryClaim {
    uint32_t version = NET_PROTOCOL_VERSION;
    netGuid applicationGuid;
    netGuid claimant; // random per claim
};

struct discoveryRank {
    uint32_t version = NET_PROTOCOL_VERSION;
    netGuid applicationGuid;
    netGuid instanceGuid;
    uint32_t secondsHosted = 0;
    uint8_t flags = 0; // unknown bits are kept as they came
};

std::vector<uint8_t> encodeDiscoveryQuery(const discoveryQuery& query);
std::vector<uint8_t> encodeDiscoveryClaim(const discoveryClaim& claim);
std::vector<uint8_t> encodeDiscoveryRank(const discoveryRank& rank);
std::vector<uint8_t> encodeDiscoveryAnswer(const discoveryAnswer& answer); // name cut to 255 bytes

// Each refuses (false, out untouched) a datagram of the wrong size or magic.
bool decodeDiscoveryQuery(const uint8_t* data, size_t size, discoveryQuery& out);
bool decodeDiscoveryAnswer(const uint8_t* data, size_t size, discoveryAnswer& out);
bool decodeDiscoveryClaim(const uint8_t* data, size_t size, discoveryClaim& out);
bool decodeDiscoveryRank(const uint8_t* data, size_t size, discoveryRank& out);
