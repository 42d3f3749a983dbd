#include "platform/render/clipspace.h"
#include "platform/render/pngwriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

namespace {

uint32_t big32(const std::vector<uint8_t>& bytes, size_t at) {
    return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) | (uint32_t{bytes[at + 2]} << 8) |
           bytes[at + 3];
}

struct decodedPNG {
    int width = 0;
    int height = 0;
    int pixelBytes = 3;       // RGB, or 4 for RGBA
    std::vector<uint8_t> raw; // filter byte and the pixels per row
};

// Reads back what encodePNG writes: chunks with their CRCs and the deflated
// rows. False on the first inconsistency.
bool decodePNG(const std::vector<uint8_t>& png, decodedPNG& out) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), signature, 8) != 0)
        return false;
    std::vector<uint8_t> zlib;
    size_t at = 8;
    bool ended = false;
    while (at + 12 <= png.size() && !ended) {
        const uint32_t length = big32(png, at);
        if (at + 12 + length > png.size())
            return false;
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        if (pngCrc32(png.data() + at + 4, 4 + length) != big32(png, at + 8 + length))
            return false;
        if (type == "IHDR") {
            out.width = static_cast<int>(big32(png, at + 8));
            out.height = static_cast<int>(big32(png, at + 12));
            if (png[at + 16] != 8 || (png[at + 17] != 2 && png[at + 17] != 6))
                return false;
            out.pixelBytes = png[at + 17] == 6 ? 4 : 3;
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        }
        ended = type == "IEND";
        at += 12 + length;
    }
    if (!ended || at != png.size() || out.width < 1 || out.height < 1)
        return false;
    out.raw = inflatePNGData(zlib, static_cast<size_t>(out.height) *
                                       (1 + static_cast<size_t>(out.pixelBytes) * out.width));
    return !out.raw.empty();
}

} // namespace

TEST(PNGWriter, ChecksumMatchesItsReferenceValue) {
    const char* check = "123456789";
    EXPECT_EQ(pngCrc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
}

TEST(PNGWriter, AlphaIsKeptOnlyWhenAskedFor) {
    const std::vector<uint32_t> pixels = {0x00112233u, 0x80445566u, 0xFF778899u};
    decodedPNG opaque;
    ASSERT_TRUE(decodePNG(encodePNG(pixels, 3, 1), opaque));
    EXPECT_EQ(opaque.pixelBytes, 3);
    EXPECT_EQ(opaque.raw, (std::vector<uint8_t>{0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99}));
    decodedPNG translucent;
    ASSERT_TRUE(decodePNG(encodePNGWithAlpha(pixels, 3, 1), translucent));
    EXPECT_EQ(translucent.pixelBytes, 4);
    EXPECT_EQ(translucent.raw, (std::vector<uint8_t>{0, 0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x80, 0x77,
                                                     0x88, 0x99, 0xFF}));
}

TEST(PNGWriter, PixelsSurviveAnEncodingSpanningSeveralBlocks) {
    // 200 x 150 RGB is 90,150 bytes of rows.
    const int width = 200;
    const int height = 150;
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u & 0xFFFFFF);
    decodedPNG decoded;
    ASSERT_TRUE(decodePNG(encodePNG(pixels, width, height), decoded));
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    ASSERT_EQ(decoded.raw.size(), static_cast<size_t>(height * (1 + 3 * width)));
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * (1 + 3 * width);
        ASSERT_EQ(decoded.raw[row], 0);
        for (int x = 0; x < width; x += 37) {
            const uint32_t p = pixels[static_cast<size_t>(y * width + x)];
            EXPECT_EQ(decoded.raw[row + 1 + 3 * x], (p >> 16) & 0xFF);
            EXPECT_EQ(decoded.raw[row + 2 + 3 * x], (p >> 8) & 0xFF);
            EXPECT_EQ(decoded.raw[row + 3 + 3 * x], p & 0xFF);
        }
    }
}

TEST(PNGWriter, RefusesSizesThatDoNotFit) {
    EXPECT_TRUE(encodePNG({}, 0, 0).empty());
    EXPECT_TRUE(encodePNG(std::vector<uint32_t>(6), 2, 2).empty());
    EXPECT_TRUE(encodePNG(std::vector<uint32_t>(4), -2, -2).empty());
    EXPECT_FALSE(writePNG("/nonexistent-dir/frame.png", std::vector<uint32_t>(1), 1, 1));
}

TEST(ClipSpace, SegmentsAreCutAtTheNearAndFarPlanes) {
    float t0 = 0.0f;
    float t1 = 0.0f;
    // z from -1 to 3 with w = 2: inside for 0 <= z <= 2, t from 0.25 to 0.75.
    EXPECT_TRUE(clipSegment({0, 0, -1, 2}, {0, 0, 3, 2}, &t0, &t1));
    EXPECT_FLOAT_EQ(t0, 0.25f);
    EXPECT_FLOAT_EQ(t1, 0.75f);
    EXPECT_TRUE(clipSegment({0, 0, 0.5f, 1}, {0.5f, 0.5f, 0.5f, 1}, &t0, &t1));
    EXPECT_EQ(t0, 0.0f);
    EXPECT_EQ(t1, 1.0f);
    EXPECT_FALSE(clipSegment({0, 0, -1, 1}, {0, 0, -0.5f, 1}, &t0, &t1));
    EXPECT_FALSE(clipSegment({0, 0, 2, 1}, {0, 0, 3, 1}, &t0, &t1));
    EXPECT_FALSE(clipSegment({NAN, 0, 0.5f, 1}, {0, 0, 0.5f, 1}, &t0, &t1));
    // Far beyond the sides: cut to the guard band, so the end stays finite.
    EXPECT_TRUE(clipSegment({0, 0, 0.5f, 1}, {1e30f, 0, 0.5f, 1}, &t0, &t1));
    EXPECT_LE(lerp({0, 0, 0.5f, 1}, {1e30f, 0, 0.5f, 1}, t1).x, CLIP_GUARD_BAND * 1.001f);
}
