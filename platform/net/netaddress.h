#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An IPv4 address and UDP port, both in host byte order (127.0.0.1 is
// 0x7F000001). A plain value: copying it is all there is to duplicating it.
struct netAddress {
    uint32_t host = 0;
    uint16_t port = 0;

    bool operator==(const netAddress& other) const = default;
};

constexpr uint32_t NET_LOOPBACK_HOST = 0x7F000001;           // 127.0.0.1
constexpr uint32_t NET_LOOPBACK_BROADCAST_HOST = 0x7FFFFFFF; // 127.255.255.255

// Reads "host[:port]"; host is a dotted IPv4 address or a name that resolves
// to one. Without a port, defaultPort is used. False on anything else.
bool parseAddress(const std::string& text, uint16_t defaultPort, netAddress& out);

// Reads a dotted IPv4 address only (no name look-up, no port).
bool parseIPv4(const std::string& text, uint32_t& host);
// Reads comma-separated dotted IPv4 addresses (blanks around them allowed);
// false, and hosts unchanged, on any bad or empty entry.
bool parseAddressList(const std::string& commaSeparated, std::vector<uint32_t>& hosts);

std::string formatAddress(const netAddress& address); // "a.b.c.d:port"
