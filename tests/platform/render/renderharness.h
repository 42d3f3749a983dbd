#pragma once

#include "drawing/render.h"
#include "tests/core/assertioncapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

constexpr int AREA_SIZE = 700;
constexpr uint32_t BACKGROUND_ARGB = 0xFF0D0D1Au;

// A 700 by 700 offscreen device with the game's planes (1, 100), cleared to
// the game's background; reports are captured.
class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        renderWindow window;
        window.areaWidth = AREA_SIZE;
        window.areaHeight = AREA_SIZE;
        initialiseRender(window, 1.0f, 100.0f);
        ASSERT_NE(g_pd3dDevice, nullptr);
        ASSERT_TRUE(g_pd3dDevice->isSoftware());
        clearScene(0.05f, 0.05f, 0.1f, 1.0f);
        beginScene();
    }
    void TearDown() override { shutdownRender(); }

    // Reads the frame back once per call.
    const std::vector<uint32_t>& frame() {
        EXPECT_TRUE(g_pd3dDevice->readFrame(&m_pixels));
        return m_pixels;
    }
    uint32_t pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * AREA_SIZE + x]; }

    // Pixels of colour within the rectangle [x0, x1] x [y0, y1].
    int countColour(uint32_t colour, int x0, int y0, int x1, int y1) const {
        int count = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                count += pixel(x, y) == colour ? 1 : 0;
        return count;
    }
    bool anyNot(uint32_t colour, int x0, int y0, int x1, int y1) const {
        return countColour(colour, x0, y0, x1, y1) != (x1 - x0 + 1) * (y1 - y0 + 1);
    }

    // A view from (0, 0, -10 s) looking along +z, s = 1 / tan(pi / 8): with the
    // game's projection a world point (x, y, 0) lands at NDC (x / 10, y / 10),
    // that is at pixel (350 + 35 x, 350 - 35 y).
    static matrix referenceView() {
        const double s = 1.0 / std::tan(3.14159265358979323846 / 8.0);
        matrix view = IDENTITY;
        view(3, 2) = static_cast<float>(10.0 * s);
        return view;
    }

    AssertionCapture m_reports;
    std::vector<uint32_t> m_pixels;
};
