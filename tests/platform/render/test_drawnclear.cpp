#include "core/random.h"
#include "platform/render/renderdevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int SIZE = 300;
constexpr uint32_t BACKGROUND = 0xFF0D0D1Au;

float randomIn(float low, float high) {
    return low + (high - low) * static_cast<float>(random15()) / RANDOM_MAX;
}

// Strips of random points in clip space, some far outside the area, in
// random colours half see-through, as a frame of the game might draw.
void drawRandomFrame(renderDevice& device, std::vector<vertexBuffer>& buffers) {
    device.clear(BACKGROUND, 1.0f, 0);
    device.setAlphaBlend(true);
    device.setBlendFactors(blendFactor::sourceAlpha, blendFactor::inverseSourceAlpha);
    device.setVertexFormat(vertexFormat::position);
    for (int strip = 0; strip < 12; ++strip) {
        const float reach = strip % 4 == 0 ? 40.0f : 0.3f;
        const float x = randomIn(-1.2f, 1.2f);
        const float y = randomIn(-1.2f, 1.2f);
        std::vector<vector3> points;
        for (int i = 0; i < 2 + strip % 5; ++i)
            points.push_back({x + randomIn(-reach, reach), y + randomIn(-reach, reach), 0.5f});
        buffers.emplace_back();
        ASSERT_TRUE(buffers.back().create(points.data(), static_cast<int>(points.size())));
        material colour;
        colour.diffuse = colour4(randomIn(0, 1), randomIn(0, 1), randomIn(0, 1), strip % 2 ? 0.5f : 1.0f);
        device.setMaterial(colour);
        device.setStreamSource(0, &buffers.back(), 0, POSITION_VERTEX_STRIDE);
        device.drawLineStrip(0, static_cast<int>(points.size()) - 1);
    }
    device.present();
}

// A software target clears only what was drawn since the last clear; frame
// after frame its pictures are those of a target cleared whole each time.
TEST(drawnClear, eachFrameMatchesOneDrawnOnAWholeClearedTarget) {
    renderWindow offscreen;
    offscreen.areaWidth = SIZE;
    offscreen.areaHeight = SIZE;
    renderDevice kept;
    ASSERT_TRUE(kept.create(offscreen));
    for (const uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
        std::vector<vertexBuffer> buffers;
        seedRandom(seed);
        drawRandomFrame(kept, buffers);
        renderDevice fresh;
        ASSERT_TRUE(fresh.create(offscreen));
        seedRandom(seed);
        drawRandomFrame(fresh, buffers);
        std::vector<uint32_t> keptPixels;
        std::vector<uint32_t> freshPixels;
        ASSERT_TRUE(kept.readFrame(&keptPixels));
        ASSERT_TRUE(fresh.readFrame(&freshPixels));
        ASSERT_EQ(keptPixels, freshPixels) << "frame of seed " << seed;
    }
}

// More drawn than a frame keeps (here a strip of 70000 points) is cleared
// whole: nothing of it stays.
TEST(drawnClear, aFrameTooLargeToKeepIsClearedWhole) {
    renderWindow offscreen;
    offscreen.areaWidth = SIZE;
    offscreen.areaHeight = SIZE;
    renderDevice device;
    ASSERT_TRUE(device.create(offscreen));
    device.clear(BACKGROUND, 1.0f, 0);
    seedRandom(9);
    std::vector<vector3> points(70000);
    for (vector3& p : points)
        p = {randomIn(-1.0f, 1.0f), randomIn(-1.0f, 1.0f), 0.5f};
    vertexBuffer buffer;
    ASSERT_TRUE(buffer.create(points.data(), static_cast<int>(points.size())));
    material white;
    white.diffuse = colour4(1.0f, 1.0f, 1.0f, 1.0f);
    device.setMaterial(white);
    device.setVertexFormat(vertexFormat::position);
    device.setStreamSource(0, &buffer, 0, POSITION_VERTEX_STRIDE);
    ASSERT_TRUE(device.drawLineStrip(0, static_cast<int>(points.size()) - 1));
    device.clear(BACKGROUND, 1.0f, 0);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(device.readFrame(&pixels));
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), BACKGROUND), SIZE * SIZE);
}

} // namespace
