#include "tests/platform/render/renderharness.h"

#include "drawing/camera.h"
#include "game/windowed/draw/zebshapeoutlines.h"
#include "platform/system/window.h"

#include <algorithm>

namespace {

constexpr uint32_t GREEN = 0xFF00FF00u;

// The outline of one square shape, drawn as index 0.
ZEBShapeOutlines squareShape(float half) {
    const vector3 corners[4] = {
        {-half, -half, 0.0f}, {half, -half, 0.0f}, {half, half, 0.0f}, {-half, half, 0.0f}};
    std::vector<ZEBObject> shapes(1);
    EXPECT_TRUE(shapes[0].create(TYPE_ASTEROID, corners, 4));
    return ZEBShapeOutlines(shapes);
}

matrix translated(float x, float y) {
    matrix world;
    const vector3 offset(x, y, 0.0f);
    translation(&offset, &world);
    return world;
}

// A horizontal line at row 350 through the view: from a to b in world space.
void drawSegment(const vector3& a, const vector3& b, const colour4& colour) {
    static vertexBuffer buffers[8];
    static int used = 0;
    vertexBuffer& buffer = buffers[used++ % 8];
    buffer = vertexBuffer();
    const vector3 ends[2] = {a, b};
    ASSERT_TRUE(buffer.create(ends, 2));
    material m;
    m.diffuse = colour;
    g_pd3dDevice->setMaterial(m);
    g_pd3dDevice->setVertexFormat(vertexFormat::position);
    ASSERT_TRUE(g_pd3dDevice->setStreamSource(0, &buffer, 0, POSITION_VERTEX_STRIDE));
    EXPECT_TRUE(g_pd3dDevice->drawLineStrip(0, 1));
}

} // namespace

TEST_F(RenderTest, ClearFillsTheAreaWithTheConvertedColour) {
    const auto& pixels = frame();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(AREA_SIZE * AREA_SIZE));
    EXPECT_EQ(pixel(0, 0), BACKGROUND_ARGB);
    EXPECT_EQ(pixel(699, 699), BACKGROUND_ARGB);
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 0, 0, 699, 699));
    EXPECT_EQ(clearColourToARGB(1.5f, -0.2f, 0.5f, 1.0f), 0xFFFF0080u);
    EXPECT_EQ(clearColourToARGB(NAN, 0.0f, 0.0f, 1.0f), 0xFF000000u);
    EXPECT_EQ(m_reports.count(), 0u);
}

TEST_F(RenderTest, ShapeLandsOnItsPixelsAndClosesItsOutline) {
    // The camera the game uses, placed to give the reference view.
    camera eye;
    eye.setPosition(vector3(0.0f, 0.0f, -referenceView()(3, 2)));
    matrix view = eye.getViewMatrix();
    transpose(&view, &view);
    g_pd3dDevice->setTransform(transformState::view, view);

    // A square of side 8 centred on world (2, 1): corners at pixels x 280..560, y 175..455.
    const ZEBShapeOutlines square = squareShape(4.0f);
    square.draw(0, translated(2.0f, 1.0f), colour4(0.0f, 1.0f, 0.0f, 1.0f));
    frame();

    // Each edge, sampled away from the corners, within a pixel of where it belongs.
    auto litNear = [&](int x, int y, bool vertical) {
        for (int d = -1; d <= 1; ++d)
            if (pixel(vertical ? x + d : x, vertical ? y : y + d) == GREEN)
                return true;
        return false;
    };
    for (int step = 1; step < 10; ++step) {
        const int x = 280 + step * 28;
        const int y = 175 + step * 28;
        EXPECT_TRUE(litNear(x, 455, false)) << "bottom edge at x " << x;
        EXPECT_TRUE(litNear(560, y, true)) << "right edge at y " << y;
        EXPECT_TRUE(litNear(x, 175, false)) << "top edge at x " << x;
        EXPECT_TRUE(litNear(280, y, true)) << "left (closing) edge at y " << y;
    }
    // Nothing inside, nothing outside but the outline.
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 283, 178, 557, 452));
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 0, 0, 699, 172));
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 0, 458, 699, 699));
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 0, 0, 277, 699));
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 563, 0, 699, 699));
    // The view transform is the one set before drawing.
    EXPECT_EQ(g_pd3dDevice->getTransform(transformState::view), view);
}

TEST_F(RenderTest, HalfAlphaBlendsOnceEvenWhereTheOutlineCloses) {
    g_pd3dDevice->setTransform(transformState::view, referenceView());
    g_pd3dDevice->setAlphaBlend(true);
    g_pd3dDevice->setBlendFactors(blendFactor::sourceAlpha, blendFactor::inverseSourceAlpha);
    const ZEBShapeOutlines square = squareShape(4.0f);
    square.draw(0, IDENTITY, colour4(1.0f, 1.0f, 1.0f, 0.5f));
    frame();

    // White at alpha 128/255 over (13, 13, 26).
    const uint32_t edge = pixel(350, 490) != BACKGROUND_ARGB ? pixel(350, 490) : pixel(350, 489);
    const int red = static_cast<int>((edge >> 16) & 0xFF);
    const int blue = static_cast<int>(edge & 0xFF);
    EXPECT_NEAR(red, 128 + 13 * 127 / 255, 2);
    EXPECT_NEAR(blue, 128 + 26 * 127 / 255, 2);
    EXPECT_EQ(edge >> 24, 0xFFu);
    // Every lit pixel, corners included, holds that one blended colour.
    int lit = 0;
    for (int y = 200; y < 500; ++y)
        for (int x = 200; x < 500; ++x)
            if (pixel(x, y) != BACKGROUND_ARGB) {
                ++lit;
                EXPECT_EQ(pixel(x, y), edge) << x << ", " << y;
            }
    EXPECT_GT(lit, 4 * 270);

    // With blending off the same colour is written as it is.
    g_pd3dDevice->setAlphaBlend(false);
    square.draw(0, IDENTITY, colour4(1.0f, 1.0f, 1.0f, 0.5f));
    frame();
    EXPECT_EQ(pixel(350, 490) | pixel(350, 489), 0x80FFFFFFu | BACKGROUND_ARGB);
}

TEST_F(RenderTest, LineCrossingTheNearPlaneIsClipped) {
    // Eye at the origin: from (-1, 0, 5) in front to (3, 0, -5) behind the eye.
    // The near plane (z = 1) cuts it at x = 0.6, off the right edge, so the kept
    // part runs from pixel 181 rightwards. Unclipped, the point behind the eye
    // would flip to the left half.
    drawSegment(vector3(-1.0f, 0.0f, 5.0f), vector3(3.0f, 0.0f, -5.0f), colour4(0.0f, 1.0f, 0.0f, 1.0f));
    frame();
    EXPECT_EQ(countColour(GREEN, 0, 349, 178, 351), 0);
    EXPECT_GT(countColour(GREEN, 184, 349, 699, 351), 500);

    // Between the eye and the near plane: from z = 0.5 (which would land at
    // pixel 688) only the part from z = 1 (pixel 519) to z = 5 (pixel 383) is kept.
    clearScene(0.05f, 0.05f, 0.1f, 1.0f);
    drawSegment(vector3(0.2f, 0.0f, 0.5f), vector3(0.2f, 0.0f, 5.0f), colour4(0.0f, 1.0f, 0.0f, 1.0f));
    frame();
    EXPECT_GT(countColour(GREEN, 386, 349, 516, 351), 120);
    EXPECT_EQ(countColour(GREEN, 522, 349, 699, 351), 0);
    EXPECT_EQ(countColour(GREEN, 0, 349, 380, 351), 0);

    // Wholly behind the eye, or beyond the far plane: nothing.
    clearScene(0.05f, 0.05f, 0.1f, 1.0f);
    drawSegment(vector3(-1.0f, 0.0f, -5.0f), vector3(1.0f, 0.0f, -2.0f), colour4(0.0f, 1.0f, 0.0f, 1.0f));
    drawSegment(vector3(-10.0f, 0.0f, 101.0f), vector3(10.0f, 0.0f, 150.0f), colour4(0.0f, 1.0f, 0.0f, 1.0f));
    frame();
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 0, 0, 699, 699));

    // Crossing the far plane: only the near part, which ends at x = 0 where z = 100.
    drawSegment(vector3(-60.0f, 0.0f, 60.0f), vector3(20.0f, 0.0f, 140.0f), colour4(0.0f, 1.0f, 0.0f, 1.0f));
    frame();
    EXPECT_GT(countColour(GREEN, 0, 349, 345, 351), 50);
    EXPECT_EQ(countColour(GREEN, 352, 349, 699, 351), 0);
}

TEST_F(RenderTest, BadDrawCallsDrawNothing) {
    const vector3 ends[2] = {{-1.0f, 0.0f, 5.0f}, {1.0f, 0.0f, 5.0f}};
    vertexBuffer buffer;
    ASSERT_TRUE(buffer.create(ends, 2));
    g_pd3dDevice->setVertexFormat(vertexFormat::position);
    EXPECT_FALSE(g_pd3dDevice->setStreamSource(0, &buffer, 0, 16));
    EXPECT_FALSE(g_pd3dDevice->drawLineStrip(0, 1)); // no stream after a refused one
    ASSERT_TRUE(g_pd3dDevice->setStreamSource(0, &buffer, 0, POSITION_VERTEX_STRIDE));
    EXPECT_FALSE(g_pd3dDevice->drawLineStrip(0, 2));
    EXPECT_FALSE(g_pd3dDevice->drawLineStrip(1, 1));
    EXPECT_FALSE(g_pd3dDevice->drawLineStrip(-1, 1));
    EXPECT_FALSE(g_pd3dDevice->drawLineStrip(0, 0x7FFFFFFF));
    g_pd3dDevice->setVertexFormat(vertexFormat::none);
    EXPECT_FALSE(g_pd3dDevice->drawLineStrip(0, 1));
    frame();
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 0, 0, 699, 699));
}

TEST_F(RenderTest, TransformsAndStatesReadBackAsSet) {
    matrix view = referenceView();
    view(3, 0) = 2.5f;
    g_pd3dDevice->setTransform(transformState::view, view);
    EXPECT_EQ(g_pd3dDevice->getTransform(transformState::view), view);
    EXPECT_TRUE(g_pd3dDevice->getDepthTest()); // on from initialisation
    g_pd3dDevice->setCullMode(cullMode::none);
    EXPECT_EQ(g_pd3dDevice->getCullMode(), cullMode::none);
    g_pd3dDevice->setSamplerFilters(0, textureFilter::linear, textureFilter::linear, textureFilter::linear);
    EXPECT_EQ(g_pd3dDevice->getMagnificationFilter(0), textureFilter::linear);

    // The projection: the left-handed perspective with a square aspect.
    const matrix& projection = g_pd3dDevice->getTransform(transformState::projection);
    const float s = static_cast<float>(1.0 / std::tan(3.14159265358979323846 / 8.0));
    EXPECT_NEAR(projection(0, 0), s, 1e-5f);
    EXPECT_NEAR(projection(1, 1), s, 1e-5f);
    EXPECT_NEAR(projection(2, 2), 100.0f / 99.0f, 1e-6f);
    EXPECT_EQ(projection(2, 3), 1.0f);
    EXPECT_NEAR(projection(3, 2), -100.0f / 99.0f, 1e-6f);
    EXPECT_EQ(projection(3, 3), 0.0f);
}

TEST(RenderModule, FrameCallsWithoutADeviceReportAndReturn) {
    AssertionCapture reports;
    shutdownRender();
    clearScene(0.0f, 0.0f, 0.0f, 1.0f);
    beginScene();
    endScene();
    int width = -1;
    int height = -1;
    getWindowSize(&width, &height);
    ASSERT_EQ(reports.count(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(reports.holds(i, "D3D Device is not initialised!", "( g_pd3dDevice != NULL )"));
    EXPECT_NE(reports.texts()[0].find("drawing/render.cpp"), std::string::npos);
    EXPECT_EQ(width, -1);
}

TEST(RenderModule, AreaGivesWindowSizeAndAspect) {
    AssertionCapture reports;
    renderWindow window;
    window.areaWidth = 640;
    window.areaHeight = 480;
    initialiseRender(window, 1.0f, 100.0f);
    ASSERT_NE(g_pd3dDevice, nullptr);
    int width = 0;
    int height = 0;
    getWindowSize(&width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    const matrix& projection = g_pd3dDevice->getTransform(transformState::projection);
    EXPECT_NEAR(projection(0, 0) * (640.0f / 480.0f), projection(1, 1), 1e-5f);

    // An empty area makes no device.
    window.areaHeight = 0;
    initialiseRender(window, 1.0f, 100.0f);
    EXPECT_EQ(g_pd3dDevice, nullptr);
    EXPECT_TRUE(reports.holds(0, "Error creating D3D Device", "( g_pd3dDevice != NULL )"));
    shutdownRender();
}

TEST(RenderModule, DrawsIntoTheGameAreaOfAWindowBelowItsMenuStrip) {
    AssertionCapture reports;
    // The dummy video driver gives a window with a software surface.
    const char* reason = nullptr;
    ASSERT_TRUE(initialiseWindowSystem(&reason)) << (reason != nullptr ? reason : "");
    gameWindow* shown = createGameWindow("ZEB", [](gameWindow* w, uint32_t m, uint64_t wp, int64_t lp) {
        return defWindowProc(w, m, wp, lp);
    });
    ASSERT_NE(shown, nullptr);
    renderWindow window;
    window.nativeWindow = getNativeWindow(shown);
    window.areaY = getGameAreaTop(shown);
    window.areaWidth = GAME_AREA_WIDTH;
    window.areaHeight = GAME_AREA_HEIGHT;
    EXPECT_GT(window.areaY, 0);
    initialiseRender(window, 1.0f, 100.0f);
    ASSERT_NE(g_pd3dDevice, nullptr);
    EXPECT_TRUE(g_pd3dDevice->isSoftware());

    clearScene(1.0f, 0.0f, 0.0f, 1.0f);
    beginScene();
    // A line along the top row of the game area stays inside it.
    const vector3 ends[2] = {{-100.0f, 41.35f, 100.0f}, {100.0f, 41.35f, 100.0f}};
    vertexBuffer buffer;
    ASSERT_TRUE(buffer.create(ends, 2));
    material green;
    green.diffuse = colour4(0.0f, 1.0f, 0.0f, 1.0f);
    g_pd3dDevice->setMaterial(green);
    g_pd3dDevice->setVertexFormat(vertexFormat::position);
    g_pd3dDevice->setStreamSource(0, &buffer, 0, POSITION_VERTEX_STRIDE);
    g_pd3dDevice->drawLineStrip(0, 1);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(g_pd3dDevice->readFrame(&pixels));
    ASSERT_EQ(pixels.size(), static_cast<size_t>(GAME_AREA_WIDTH * GAME_AREA_HEIGHT));
    EXPECT_EQ(pixels[0], 0xFF00FF00u);
    EXPECT_EQ(pixels[GAME_AREA_WIDTH * GAME_AREA_HEIGHT - 1], 0xFFFF0000u);

    struct hookRecord {
        gameWindow* window;
        int calls;
    } record = {shown, 0};
    g_pd3dDevice->setPresentHook(
        [](void* renderer, void* user) {
            auto* r = static_cast<hookRecord*>(user);
            ++r->calls;
            return paintMenuStrip(r->window, renderer);
        },
        &record);
    endScene();
    EXPECT_EQ(record.calls, 1);

    // The next clear covers what the device drew (the line) and what the
    // window drew over the game area (the name box), though it clears only
    // what was drawn: the area is all background again.
    openNameBox(shown, "Player", 31);
    beginScene();
    endScene();
    closeNameBox(shown);
    clearScene(1.0f, 0.0f, 0.0f, 1.0f);
    beginScene();
    ASSERT_TRUE(g_pd3dDevice->readFrame(&pixels));
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xFFFF0000u), GAME_AREA_WIDTH * GAME_AREA_HEIGHT);
    endScene();
    EXPECT_EQ(reports.count(), 0u);
    shutdownRender();
}
