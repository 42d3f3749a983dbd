#pragma once

#include <cstdint>
#include <cstring>

// Little-endian byte access for wire and file records. Every multi-byte value
// is assembled or split byte by byte, so the layout never depends on the
// host's byte order or on how a compiler lays out a struct.

inline void writeU16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

inline uint16_t readU16(const uint8_t* in) {
    return static_cast<uint16_t>(in[0] | (in[1] << 8));
}

inline void writeU32(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t readU32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
           (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

inline void writeI32(uint8_t* out, int32_t value) {
    writeU32(out, static_cast<uint32_t>(value));
}
inline int32_t readI32(const uint8_t* in) {
    return static_cast<int32_t>(readU32(in));
}

inline void writeF32(uint8_t* out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    writeU32(out, bits);
}

inline float readF32(const uint8_t* in) {
    const uint32_t bits = readU32(in);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

inline void writeBool(uint8_t* out, bool value) {
    out[0] = value ? 1 : 0;
}
inline bool readBool(const uint8_t* in) {
    return in[0] != 0;
}
