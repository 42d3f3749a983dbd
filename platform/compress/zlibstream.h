#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// zlib streams (RFC 1950) of byte buffers.

// The stream of size bytes at data; empty when compression fails.
std::vector<uint8_t> deflateBytes(const uint8_t* data, size_t size);

// Inflates a stream that must hold exactly expectedSize bytes; false (out
// emptied) when it is damaged, holds more or holds fewer. Never writes past
// expectedSize, however the stream was made.
bool inflateBytes(const uint8_t* stream, size_t streamSize, size_t expectedSize, std::vector<uint8_t>& out);

uint32_t crc32Of(const uint8_t* data, size_t size);
