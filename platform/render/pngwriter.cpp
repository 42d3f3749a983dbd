#include "platform/render/pngwriter.h"

#include "platform/compress/zlibstream.h"

#include <cstdio>

namespace {

constexpr int RGB_BYTES = 3;
constexpr int RGBA_BYTES = 4;
constexpr uint8_t COLOUR_TYPE_RGB = 2;
constexpr uint8_t COLOUR_TYPE_RGBA = 6;

void putBig32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, pngCrc32(out.data() + typeAt, out.size() - typeAt));
}

// Each row: filter byte 0, then the RGB (or RGBA) bytes.
std::vector<uint8_t> rawRows(const std::vector<uint32_t>& pixels, int width, int height, bool withAlpha) {
    const size_t pixelBytes = withAlpha ? RGBA_BYTES : RGB_BYTES;
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(height) * (1 + static_cast<size_t>(width) * pixelBytes));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw.push_back(static_cast<uint8_t>(p >> 16));
            raw.push_back(static_cast<uint8_t>(p >> 8));
            raw.push_back(static_cast<uint8_t>(p));
            if (withAlpha)
                raw.push_back(static_cast<uint8_t>(p >> 24));
        }
    }
    return raw;
}

std::vector<uint8_t> encode(const std::vector<uint32_t>& pixels, int width, int height, bool withAlpha) {
    if (width < 1 || height < 1 || width > PNG_MAX_DIMENSION || height > PNG_MAX_DIMENSION)
        return {};
    if (pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, static_cast<uint32_t>(width));
    putBig32(header, static_cast<uint32_t>(height));
    // 8-bit, RGB or RGBA, deflate, filter 0, no interlace
    header.insert(header.end(), {8, withAlpha ? COLOUR_TYPE_RGBA : COLOUR_TYPE_RGB, 0, 0, 0});
    putChunk(png, "IHDR", header);
    const std::vector<uint8_t> rows = rawRows(pixels, width, height, withAlpha);
    const std::vector<uint8_t> data = deflateBytes(rows.data(), rows.size());
    if (data.empty())
        return {};
    putChunk(png, "IDAT", data);
    putChunk(png, "IEND", {});
    return png;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& png) {
    if (png.empty())
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

} // namespace

uint32_t pngCrc32(const uint8_t* data, size_t length) {
    return crc32Of(data, length);
}

std::vector<uint8_t> inflatePNGData(const std::vector<uint8_t>& zlibStream, size_t expectedSize) {
    std::vector<uint8_t> raw;
    inflateBytes(zlibStream.data(), zlibStream.size(), expectedSize, raw);
    return raw;
}

std::vector<uint8_t> encodePNG(const std::vector<uint32_t>& pixels, int width, int height) {
    return encode(pixels, width, height, false);
}

std::vector<uint8_t> encodePNGWithAlpha(const std::vector<uint32_t>& pixels, int width, int height) {
    return encode(pixels, width, height, true);
}

bool writePNG(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
    return writeFile(path, encodePNG(pixels, width, height));
}

bool writePNGWithAlpha(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
    return writeFile(path, encodePNGWithAlpha(pixels, width, height));
}
