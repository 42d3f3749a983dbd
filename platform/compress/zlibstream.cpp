#include "platform/compress/zlibstream.h"

#include <limits>
#include <zlib.h>

namespace {

constexpr size_t ZLIB_LIMIT = std::numeric_limits<uLong>::max();

} // namespace

std::vector<uint8_t> deflateBytes(const uint8_t* data, size_t size) {
    if (size > ZLIB_LIMIT / 2)
        return {};
    uLongf streamSize = compressBound(static_cast<uLong>(size));
    std::vector<uint8_t> stream(streamSize);
    if (compress2(stream.data(), &streamSize, data, static_cast<uLong>(size), Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    stream.resize(streamSize);
    return stream;
}

bool inflateBytes(const uint8_t* stream, size_t streamSize, size_t expectedSize, std::vector<uint8_t>& out) {
    out.clear();
    if (streamSize > ZLIB_LIMIT || expectedSize > ZLIB_LIMIT)
        return false;
    // One byte more than expected: a stream that fills it holds too much.
    std::vector<uint8_t> raw(expectedSize + 1);
    uLongf size = static_cast<uLongf>(raw.size());
    const int result = uncompress(raw.data(), &size, stream, static_cast<uLong>(streamSize));
    if (result != Z_OK || size != expectedSize)
        return false;
    raw.resize(expectedSize);
    out.swap(raw);
    return true;
}

uint32_t crc32Of(const uint8_t* data, size_t size) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    while (size > 0) {
        const uInt part = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        crc = ::crc32(crc, data, part);
        data += part;
        size -= part;
    }
    return static_cast<uint32_t>(crc);
}
