#include "core/bytereader.h"

#include "core/littleendian.h"

#include <cstring>

bool byteReader::view(size_t count, std::span<const uint8_t>& out) {
    if (count > remaining())
        return false;
    out = m_bytes.subspan(m_at, count);
    m_at += count;
    return true;
}

bool byteReader::bytes(void* out, size_t count) {
    std::span<const uint8_t> at;
    if (!view(count, at))
        return false;
    if (count > 0)
        std::memcpy(out, at.data(), count);
    return true;
}

bool byteReader::expect(std::span<const uint8_t> expected) {
    if (expected.empty())
        return true;
    if (expected.size() > remaining() ||
        std::memcmp(m_bytes.data() + m_at, expected.data(), expected.size()) != 0)
        return false;
    m_at += expected.size();
    return true;
}

bool byteReader::u8(uint8_t& value) {
    return bytes(&value, 1);
}

bool byteReader::u16(uint16_t& value) {
    std::span<const uint8_t> at;
    if (!view(2, at))
        return false;
    value = readU16(at.data());
    return true;
}

bool byteReader::u32(uint32_t& value) {
    std::span<const uint8_t> at;
    if (!view(4, at))
        return false;
    value = readU32(at.data());
    return true;
}

bool byteReader::i32(int32_t& value) {
    uint32_t bits = 0;
    if (!u32(bits))
        return false;
    value = static_cast<int32_t>(bits);
    return true;
}

bool byteReader::f32(float& value) {
    std::span<const uint8_t> at;
    if (!view(4, at))
        return false;
    value = readF32(at.data());
    return true;
}

bool byteReader::text8(std::string& value) {
    const size_t start = m_at;
    uint8_t length = 0;
    std::span<const uint8_t> at;
    if (!u8(length) || !view(length, at)) {
        m_at = start;
        return false;
    }
    value.assign(reinterpret_cast<const char*>(at.data()), at.size());
    return true;
}

bool byteReader::block32(uint32_t maxSize, std::span<const uint8_t>& out) {
    const size_t start = m_at;
    uint32_t size = 0;
    if (!u32(size) || size > maxSize || !view(size, out)) {
        m_at = start;
        return false;
    }
    return true;
}
