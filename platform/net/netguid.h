#pragma once

#include <array>
#include <cstdint>
#include <string>

// A 16-byte GUID kept in the Windows memory layout (Data1 as u32, Data2 and
// Data3 as u16, all little-endian, then the 8 bytes of Data4), which is also
// how it travels in discovery datagrams.
constexpr int NET_GUID_SIZE = 16;

struct netGuid {
    std::array<uint8_t, NET_GUID_SIZE> bytes{};

    bool operator==(const netGuid& other) const = default;
};
static_assert(sizeof(netGuid) == NET_GUID_SIZE, "a GUID is its 16 bytes and nothing else");

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional); false on
// any other text, leaving out untouched.
bool parseGuid(const std::string& text, netGuid& out);
std::string formatGuid(const netGuid& guid); // with braces, upper case

// A GUID from the operating system's entropy (instance GUIDs of sessions).
netGuid makeRandomGuid();

// The game's application GUID, {66A3CA0F-60FE-42D8-BC96-C6626D599AA3}.
constexpr netGuid ZEB_APPLICATION_GUID = {
    {0x0F, 0xCA, 0xA3, 0x66, 0xFE, 0x60, 0xD8, 0x42, 0xBC, 0x96, 0xC6, 0x62, 0x6D, 0x59, 0x9A, 0xA3}};
