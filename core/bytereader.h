#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// A cursor over bytes received from a file or a datagram. Every read checks
// that what it asks for lies before the end; one that does not returns false,
// leaves the cursor where it was and its output untouched. Multi-byte values
// are little-endian.
class byteReader {
  public:
    explicit byteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    byteReader(const uint8_t* data, size_t size) : m_bytes(data, data == nullptr ? 0 : size) {}

    size_t remaining() const { return m_bytes.size() - m_at; }
    size_t consumed() const { return m_at; }

    bool bytes(void* out, size_t count);                    // copies count bytes
    bool view(size_t count, std::span<const uint8_t>& out); // the next count bytes, not copied
    bool expect(std::span<const uint8_t> expected);         // the next bytes must equal these
    bool u8(uint8_t& value);
    bool u16(uint16_t& value);
    bool u32(uint32_t& value);
    bool i32(int32_t& value);
    bool f32(float& value);
    bool text8(std::string& value); // a u8 length, then the text
    // A u32 length of at most maxSize, then that many bytes, not copied.
    bool block32(uint32_t maxSize, std::span<const uint8_t>& out);

  private:
    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
};
