#include "tests/platform/render/renderharness.h"

#include "drawing/font/font.h"

#include <string>

namespace {

constexpr uint32_t GREY_ARGB = 0xFFBFBFBFu;
const char* const SOUND_LINE = "Sound is Enabled, to Disable press 'Z'";

// First row, from the top, holding a pixel other than background.
int firstInkRow(const std::vector<uint32_t>& pixels, uint32_t background) {
    for (int y = 0; y < AREA_SIZE; ++y)
        for (int x = 0; x < AREA_SIZE; ++x)
            if (pixels[static_cast<size_t>(y) * AREA_SIZE + x] != background)
                return y;
    return -1;
}

class FontTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        m_font.create("Arial", 16);
        ASSERT_TRUE(m_font.getFace().isCreated());
        clearScene(0.0f, 0.0f, 0.0f, 1.0f);
    }

    int inkRowAt(float top) {
        clearScene(0.0f, 0.0f, 0.0f, 1.0f);
        m_font.setTop(top);
        m_font.print(SOUND_LINE);
        return firstInkRow(frame(), 0xFF000000u);
    }

    font m_font;
};

} // namespace

TEST(FontRules, PixelRectangleAndColourConversion) {
    const textRect whole = fontPixelRect(-1.0f, 1.0f, 1.0f, -1.0f, 700, 700);
    EXPECT_EQ(whole.left, 0);
    EXPECT_EQ(whole.top, 0);
    EXPECT_EQ(whole.right, 700);
    EXPECT_EQ(whole.bottom, 700);
    EXPECT_EQ(fontPixelRect(-1.0f, 1.0f, 0.9f, -1.0f, 700, 700).top, 35);
    EXPECT_EQ(fontPixelRect(-1.0f, 1.0f, -0.75f, -1.0f, 700, 700).top, 612);
    EXPECT_EQ(fontPixelRect(-1.0f, 1.0f, 0.95f, -1.0f, 700, 700).top, 17); // 17.5 truncated
    const textRect wild = fontPixelRect(NAN, 1e30f, -1e30f, INFINITY, 700, 700);
    EXPECT_EQ(wild.left, 0);
    EXPECT_GT(wild.right, 700);
    EXPECT_GT(wild.top, 700);

    EXPECT_EQ(fontColourToARGB(0.75f, 0.75f, 0.75f, 1.0f), GREY_ARGB);
    EXPECT_EQ(fontColourToARGB(1.0f, 0.0f, 0.0f, 1.0f), 0xFFFF0000u);
    // Out of range: truncated, then the low 8 bits (306 -> 0x32, -51 -> 0xCD).
    EXPECT_EQ(fontColourToARGB(1.2f, -0.2f, 0.0f, 1.0f), 0xFF32CD00u);
    EXPECT_EQ(fontColourToARGB(NAN, INFINITY, 0.5f, 1.0f), 0xFF00007Fu);
}

TEST_F(FontTest, NewFontCoversTheWholeAreaInOpaqueBlack) {
    font fresh;
    EXPECT_EQ(fresh.getLeft(), -1.0f);
    EXPECT_EQ(fresh.getRight(), 1.0f);
    EXPECT_EQ(fresh.getTop(), 1.0f);
    EXPECT_EQ(fresh.getBottom(), -1.0f);
    EXPECT_EQ(fontColourToARGB(fresh.getRed(), fresh.getGreen(), fresh.getBlue(), fresh.getAlpha()),
              0xFF000000u);
    EXPECT_FALSE(fresh.getFace().isCreated());
}

TEST_F(FontTest, CreateAsksForHalfWidthAndMatchesTheHeight) {
    EXPECT_EQ(m_font.getFace().getHeight(), 16);
    EXPECT_EQ(m_font.getFace().getWidth(), 8);
    EXPECT_EQ(m_font.getFace().getLineHeight(), 16);
    EXPECT_FALSE(m_font.getFace().getFamily().empty());
    font odd;
    odd.create("Arial", 15);
    EXPECT_EQ(odd.getFace().getHeight(), 15);
    EXPECT_EQ(odd.getFace().getWidth(), 7);
    EXPECT_LE(odd.getFace().getLineHeight(), 15);
    // A face nobody has still gives a sans face.
    font missing;
    missing.create("No Such Face ZEB", 16);
    EXPECT_TRUE(missing.getFace().isCreated());
    EXPECT_EQ(m_reports.count(), 0u);

    font zero;
    zero.create("Arial", 0);
    EXPECT_TRUE(m_reports.holds(0, "font: Failed to create font", "( created )"));
    EXPECT_NE(m_reports.texts()[0].find("drawing/font/font.cpp"), std::string::npos);
}

TEST_F(FontTest, TextTopLandsOnTheComputedRow) {
    const int atTop = inkRowAt(1.0f);
    ASSERT_GE(atTop, 0);
    EXPECT_LT(atTop, 8); // the ink starts within the line's ascent
    EXPECT_EQ(inkRowAt(0.9f), atTop + 35);
    EXPECT_EQ(inkRowAt(-0.75f), atTop + 612);
    EXPECT_EQ(m_reports.count(), 0u);
}

TEST_F(FontTest, TextIsDrawnInTheTruncatedColour) {
    m_font.setTop(-0.75f);
    m_font.setColour(0.75f, 0.75f, 0.75f, 1.0f);
    m_font.print(SOUND_LINE);
    frame();
    int exact = 0;
    int lit = 0;
    for (int y = 612; y < 640; ++y)
        for (int x = 0; x < AREA_SIZE; ++x) {
            const uint32_t p = pixel(x, y);
            if (p == 0xFF000000u)
                continue;
            ++lit;
            exact += p == GREY_ARGB;
            // Edges are the colour blended over black: grey, never brighter.
            EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
            EXPECT_LE(p & 0xFF, 0xBFu);
        }
    EXPECT_GT(exact, 50);
    EXPECT_GT(lit, exact);
    EXPECT_FALSE(anyNot(0xFF000000u, 0, 0, 699, 611));
}

TEST_F(FontTest, LinesBreakAndClipToTheRectangle) {
    m_font.setRect(-1.0f, 1.0f, 1.0f, -1.0f);
    m_font.setColour(1.0f, 1.0f, 1.0f, 1.0f);
    m_font.print("Player ( 10 )\r\nSecond line\n");
    frame();
    const int lineSkip = m_font.getFace().getLineSkip();
    EXPECT_TRUE(anyNot(0xFF000000u, 0, 0, 200, lineSkip - 1));
    EXPECT_TRUE(anyNot(0xFF000000u, 0, lineSkip, 200, 2 * lineSkip - 1));
    EXPECT_FALSE(anyNot(0xFF000000u, 0, 2 * lineSkip, 699, 699));
    EXPECT_FALSE(anyNot(0xFF000000u, 201, 0, 699, 699)); // no word wrap, left aligned, no box for '\r'

    // A rectangle only 20 pixels wide and 6 high keeps the text inside it.
    clearScene(0.0f, 0.0f, 0.0f, 1.0f);
    m_font.setRect(0.0f, 20.0f / 350.0f, 0.0f, -6.0f / 350.0f);
    m_font.print("Wide text that does not fit");
    frame();
    EXPECT_TRUE(anyNot(0xFF000000u, 350, 350, 369, 355));
    EXPECT_FALSE(anyNot(0xFF000000u, 0, 0, 699, 349));
    EXPECT_FALSE(anyNot(0xFF000000u, 0, 356, 699, 699));
    EXPECT_FALSE(anyNot(0xFF000000u, 370, 0, 699, 699));
    EXPECT_FALSE(anyNot(0xFF000000u, 0, 0, 349, 699));
    EXPECT_EQ(m_reports.count(), 0u);
}

TEST_F(FontTest, PrintRestoresTransformsAndDepthTest) {
    matrix view = IDENTITY;
    view(3, 2) = 24.0f;
    matrix projection = IDENTITY;
    projection(0, 0) = 2.0f;
    g_pd3dDevice->setTransform(transformState::view, view);
    g_pd3dDevice->setTransform(transformState::projection, projection);
    g_pd3dDevice->setDepthTest(true);
    m_font.print("Score");
    EXPECT_EQ(g_pd3dDevice->getTransform(transformState::view), view);
    EXPECT_EQ(g_pd3dDevice->getTransform(transformState::projection), projection);
    EXPECT_TRUE(g_pd3dDevice->getDepthTest());

    // Nothing to draw is a report, and the state is restored all the same.
    g_pd3dDevice->setDepthTest(false);
    m_font.print("");
    EXPECT_TRUE(m_reports.holds(0, "Font failed to print", "Forced Failure"));
    EXPECT_EQ(g_pd3dDevice->getTransform(transformState::view), view);
    EXPECT_TRUE(g_pd3dDevice->getDepthTest());
}

TEST_F(FontTest, SetColourReportsEachChannelAndStoresIt) {
    m_font.setColour(1.2f, 0.5f, 0.5f, 1.0f);
    ASSERT_EQ(m_reports.count(), 1u);
    EXPECT_TRUE(m_reports.holds(0, "font: Red colour value ( 1.20 ) must be between 0.0f and 1.0f",
                                "( r >= 0.0f && r <= 1.0f )"));
    EXPECT_EQ(m_font.getRed(), 1.2f);

    m_font.setColour(-0.5f, 2.0f, -1.0f, NAN);
    ASSERT_EQ(m_reports.count(), 5u);
    EXPECT_TRUE(m_reports.holds(1, "font: Red colour value ( -0.50 ) must be between 0.0f and 1.0f",
                                "( r >= 0.0f && r <= 1.0f )"));
    EXPECT_TRUE(m_reports.holds(2, "font: Green colour value ( 2.00 ) must be between 0.0f and 1.0f",
                                "( g >= 0.0f && g <= 1.0f )"));
    EXPECT_TRUE(m_reports.holds(3, "font: Blue colour value ( -1.00 ) must be between 0.0f and 1.0f",
                                "( b >= 0.0f && b <= 1.0f )"));
    EXPECT_TRUE(m_reports.holds(4, "font: Alpha colour value ( nan ) must be between 0.0f and 1.0f",
                                "( a >= 0.0f && a <= 1.0f )"));
    EXPECT_EQ(m_font.getGreen(), 2.0f);
    EXPECT_TRUE(std::isnan(m_font.getAlpha()));

    m_font.setColour(0.0f, 1.0f, 0.0f, 1.0f); // both ends are in range
    EXPECT_EQ(m_reports.count(), 5u);
}

TEST_F(FontTest, RenderedLinesAreCachedAndTheCacheIsBounded) {
    m_font.print("Steady line");
    m_font.print("Steady line");
    EXPECT_EQ(m_font.getFace().getCachedLines(), 1);
    m_font.setColour(1.0f, 0.0f, 0.0f, 1.0f);
    m_font.print("Steady line");
    EXPECT_EQ(m_font.getFace().getCachedLines(), 2); // a new colour is a new line
    for (int i = 0; i < 3 * TEXT_CACHE_LINES; ++i)
        m_font.print(("Line " + std::to_string(i)).c_str());
    EXPECT_EQ(m_font.getFace().getCachedLines(), TEXT_CACHE_LINES);

    // A new device generation drops the old textures and draws afresh.
    renderWindow window;
    window.areaWidth = AREA_SIZE;
    window.areaHeight = AREA_SIZE;
    initialiseRender(window, 1.0f, 100.0f);
    clearScene(0.0f, 0.0f, 0.0f, 1.0f);
    m_font.print("Steady line");
    EXPECT_EQ(m_font.getFace().getCachedLines(), 1);
    frame();
    EXPECT_TRUE(anyNot(0xFF000000u, 0, 0, 699, 20));
    EXPECT_EQ(m_reports.count(), 0u);
}
