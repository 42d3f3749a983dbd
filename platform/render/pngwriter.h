#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A minimal PNG encoder: 8-bit RGB, filter 0, deflate in stored (uncompressed)
// blocks, so no compression library is needed. Pixels are 0xAARRGGBB, row by
// row; alpha is dropped since frames are opaque.
constexpr int PNG_MAX_DIMENSION = 16384;

// Empty when width or height is outside 1 to PNG_MAX_DIMENSION or the pixel
// count does not match.
std::vector<uint8_t> encodePNG(const std::vector<uint32_t>& pixels, int width, int height);

bool writePNG(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

uint32_t crc32(const uint8_t* data, size_t length, uint32_t crc = 0);
uint32_t adler32(const uint8_t* data, size_t length);
