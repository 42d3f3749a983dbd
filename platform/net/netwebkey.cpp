#include "platform/net/netwebkey.h"

#include <vector>

namespace {

uint32_t rotateLeft(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

void sha1Block(const uint8_t* block, std::array<uint32_t, 5>& state) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = static_cast<uint32_t>(block[4 * i]) << 24 | static_cast<uint32_t>(block[4 * i + 1]) << 16 |
               static_cast<uint32_t>(block[4 * i + 2]) << 8 | static_cast<uint32_t>(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i)
        w[i] = rotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f = 0;
        uint32_t k = 0;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const uint32_t next = rotateLeft(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = rotateLeft(b, 30);
        b = a;
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

} // namespace

std::array<uint8_t, 20> sha1(const uint8_t* data, size_t size) {
    std::array<uint32_t, 5> state = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    size_t whole = size - size % 64;
    for (size_t i = 0; i < whole; i += 64)
        sha1Block(data + i, state);
    // The tail, the 0x80 marker and the length in bits fill one or two blocks.
    std::vector<uint8_t> tail(data + whole, data + size);
    tail.push_back(0x80);
    while (tail.size() % 64 != 56)
        tail.push_back(0);
    const uint64_t bits = static_cast<uint64_t>(size) * 8;
    for (int shift = 56; shift >= 0; shift -= 8)
        tail.push_back(static_cast<uint8_t>(bits >> shift));
    for (size_t i = 0; i < tail.size(); i += 64)
        sha1Block(tail.data() + i, state);
    std::array<uint8_t, 20> digest{};
    for (size_t i = 0; i < 20; ++i)
        digest[i] = static_cast<uint8_t>(state[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

std::string base64Encode(const uint8_t* data, size_t size) {
    static const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const size_t left = size - i;
        const uint32_t group = static_cast<uint32_t>(data[i]) << 16 |
                               (left > 1 ? static_cast<uint32_t>(data[i + 1]) << 8 : 0) |
                               (left > 2 ? static_cast<uint32_t>(data[i + 2]) : 0);
        text += ALPHABET[(group >> 18) & 63];
        text += ALPHABET[(group >> 12) & 63];
        text += left > 1 ? ALPHABET[(group >> 6) & 63] : '=';
        text += left > 2 ? ALPHABET[group & 63] : '=';
    }
    return text;
}

std::string webSocketAccept(const std::string& key) {
    const std::string joined = key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
    const std::array<uint8_t, 20> digest =
        sha1(reinterpret_cast<const uint8_t*>(joined.data()), joined.size());
    return base64Encode(digest.data(), digest.size());
}
