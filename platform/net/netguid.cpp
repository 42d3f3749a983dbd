#include "platform/net/netguid.h"

#include "platform/net/nethex.h"

#include <cstdio>
#include <random>

namespace {

constexpr int GUID_TEXT_LENGTH = 36; // without braces
constexpr int GUID_DASHES[] = {8, 13, 18, 23};

bool isDashPosition(int index) {
    for (const int dash : GUID_DASHES)
        if (index == dash)
            return true;
    return false;
}

// The hex digits of the text in order, 32 of them, or false.
bool readDigits(const std::string& text, std::array<uint8_t, 32>& digits) {
    int count = 0;
    for (int i = 0; i < GUID_TEXT_LENGTH; ++i) {
        const char c = text[i];
        if (isDashPosition(i)) {
            if (c != '-')
                return false;
            continue;
        }
        const int value = netHexValue(c);
        if (value < 0)
            return false;
        digits[count++] = static_cast<uint8_t>(value);
    }
    return count == 32;
}

uint8_t byteAt(const std::array<uint8_t, 32>& digits, int index) {
    return static_cast<uint8_t>(digits[index * 2] << 4 | digits[index * 2 + 1]);
}

} // namespace

bool parseGuid(const std::string& text, netGuid& out) {
    std::string body = text;
    if (body.size() == GUID_TEXT_LENGTH + 2 && body.front() == '{' && body.back() == '}')
        body = body.substr(1, GUID_TEXT_LENGTH);
    if (body.size() != GUID_TEXT_LENGTH)
        return false;
    std::array<uint8_t, 32> digits{};
    if (!readDigits(body, digits))
        return false;
    // Text order is big-endian per field; memory order swaps Data1, Data2, Data3.
    static constexpr int TEXT_TO_MEMORY[NET_GUID_SIZE] = {3, 2, 1,  0,  5,  4,  7,  6,
                                                          8, 9, 10, 11, 12, 13, 14, 15};
    netGuid guid;
    for (int i = 0; i < NET_GUID_SIZE; ++i)
        guid.bytes[TEXT_TO_MEMORY[i]] = byteAt(digits, i);
    out = guid;
    return true;
}

std::string formatGuid(const netGuid& guid) {
    const auto& b = guid.bytes;
    char text[GUID_TEXT_LENGTH + 3];
    std::snprintf(text, sizeof(text),
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3], b[2], b[1],
                  b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

netGuid makeRandomGuid() {
    std::random_device entropy;
    netGuid guid;
    for (int i = 0; i < NET_GUID_SIZE; i += 4) {
        const uint32_t value = entropy();
        for (int k = 0; k < 4; ++k)
            guid.bytes[i + k] = static_cast<uint8_t>(value >> (8 * k));
    }
    return guid;
}
