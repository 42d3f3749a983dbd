#include "core/random.h"
#include "platform/render/presentregion.h"
#include "platform/render/renderdevice.h"
#include "platform/system/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tile = presentRegion;

struct regionCase {
    const char* what;
    std::vector<pixelBox> marks;
    std::vector<pixelBox> rects; // expected, in a 100 by 70 window
};

// Marks become whole tiles, joined along a row and cut at the window's edge.
TEST(PresentRegion, MarksBecomeTilesJoinedAlongEachRow) {
    const std::vector<regionCase> cases = {
        {"nothing", {}, {}},
        {"one pixel", {{40, 5, 1, 1}}, {{32, 0, 32, 32}}},
        {"across two tiles", {{30, 5, 4, 1}}, {{0, 0, 64, 32}}},
        {"the last column and row are cut", {{99, 69, 5, 5}}, {{96, 64, 4, 6}}},
        {"outside", {{-10, -10, 5, 5}, {100, 0, 9, 9}}, {}},
        {"two apart in a row", {{0, 40, 1, 1}, {70, 40, 1, 1}}, {{0, 32, 32, 32}, {64, 32, 32, 32}}},
    };
    for (const regionCase& c : cases) {
        presentRegion region;
        region.reset(100, 70);
        for (const pixelBox& box : c.marks)
            region.mark(box);
        const std::vector<pixelBox>& rects = region.getRects();
        EXPECT_FALSE(region.isWhole()) << c.what;
        ASSERT_EQ(rects.size(), c.rects.size()) << c.what;
        for (size_t i = 0; i < rects.size(); ++i)
            EXPECT_TRUE(rects[i].x == c.rects[i].x && rects[i].y == c.rects[i].y &&
                        rects[i].width == c.rects[i].width && rects[i].height == c.rects[i].height)
                << c.what << " rectangle " << i;
    }
}

TEST(PresentRegion, ManyScatteredTilesOrAWholeMarkSendTheWholeWindow) {
    presentRegion region;
    region.reset(32 * 40, 32 * 40);
    for (int row = 0; row < 40; ++row)
        for (int column = 0; column < 40; column += 2)
            region.mark({column * tile::TILE, row * tile::TILE, 1, 1});
    EXPECT_TRUE(region.getRects().empty());
    EXPECT_TRUE(region.isWhole());
    region.reset(100, 100);
    region.mark({0, 0, 1, 1});
    region.markWhole();
    EXPECT_TRUE(region.getRects().empty());
    EXPECT_TRUE(region.isWhole());
}

// A display that is sent only what the device presents shows, frame after
// frame of moving lines and text boxes, the window the device drew.
TEST(PresentRegion, ADisplaySentOnlyThePresentedPartsShowsEveryFrame) {
    const char* reason = nullptr;
    ASSERT_TRUE(initialiseWindowSystem(&reason)) << (reason != nullptr ? reason : "");
    gameWindow* shown = createGameWindow("ZEB", nullptr);
    ASSERT_NE(shown, nullptr);
    renderWindow target;
    target.nativeWindow = getNativeWindow(shown);
    target.areaY = getGameAreaTop(shown);
    target.areaWidth = GAME_AREA_WIDTH;
    target.areaHeight = GAME_AREA_HEIGHT;
    renderDevice device;
    ASSERT_TRUE(device.create(target));
    ASSERT_TRUE(device.isSoftware());
    std::vector<uint32_t> display;
    std::vector<uint32_t> drawn;
    int width = 0;
    int height = 0;
    int framesInPart = 0;
    seedRandom(7);
    auto randomIn = [](float low, float high) {
        return low + (high - low) * static_cast<float>(random15()) / RANDOM_MAX;
    };
    for (int frame = 0; frame < 30; ++frame) {
        device.clear(0xFF0D0D1Au, 1.0f, 0);
        device.beginScene();
        std::vector<vertexBuffer> buffers(6);
        device.setVertexFormat(vertexFormat::position);
        for (vertexBuffer& buffer : buffers) {
            const float x = randomIn(-1.0f, 1.0f);
            const float y = randomIn(-1.0f, 1.0f);
            const vector3 points[3] = {
                {x, y, 0.5f}, {x + randomIn(-0.2f, 0.2f), y, 0.5f}, {x, y + 0.1f, 0.5f}};
            ASSERT_TRUE(buffer.create(points, 3));
            material colour;
            colour.diffuse = colour4(randomIn(0, 1), 1.0f, randomIn(0, 1), 1.0f);
            device.setMaterial(colour);
            device.setStreamSource(0, &buffer, 0, POSITION_VERTEX_STRIDE);
            device.drawLineStrip(0, 2);
        }
        device.noteDrawn(frame * 20, 600, 40, 18); // a text box the window drew
        device.endScene();
        ASSERT_TRUE(readWindowPixels(device.getNativeRenderer(), drawn, width, height));
        device.present();
        if (device.wasPresentedWhole() || display.size() != drawn.size()) {
            display = drawn;
            continue;
        }
        ++framesInPart;
        for (const pixelBox& box : device.getPresentedRects())
            for (int y = box.y; y < box.y + box.height; ++y)
                for (int x = box.x; x < box.x + box.width; ++x)
                    display[static_cast<size_t>(y * width + x)] = drawn[static_cast<size_t>(y * width + x)];
        ASSERT_EQ(display, drawn) << "frame " << frame;
    }
    EXPECT_GT(framesInPart, 25);
    device.release();
    destroyWindow(shown);
}

} // namespace
