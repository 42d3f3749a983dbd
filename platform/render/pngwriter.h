#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A minimal PNG encoder: 8-bit RGB, filter 0, zlib deflate. Pixels are
// 0xAARRGGBB, row by row; alpha is dropped since frames are opaque.
constexpr int PNG_MAX_DIMENSION = 16384;

// Empty when width or height is outside 1 to PNG_MAX_DIMENSION or the pixel
// count does not match.
std::vector<uint8_t> encodePNG(const std::vector<uint32_t>& pixels, int width, int height);

bool writePNG(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

// The same with the alpha channel kept (8-bit RGBA), for pictures with transparent parts.
std::vector<uint8_t> encodePNGWithAlpha(const std::vector<uint32_t>& pixels, int width, int height);
bool writePNGWithAlpha(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

uint32_t pngCrc32(const uint8_t* data, size_t length);

// Inflates a zlib stream that must hold exactly expectedSize bytes; empty otherwise.
std::vector<uint8_t> inflatePNGData(const std::vector<uint8_t>& zlibStream, size_t expectedSize);
