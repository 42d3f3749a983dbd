#include "tests/app/appchecks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int FIRST_LETTER_COLUMNS = 10;
constexpr double SAME_HUE = 0.97;
constexpr int FALLBACK_DISCOVERY_PORT = 47311;

struct colourVector {
    double r, g, b;
    double length() const { return std::sqrt(r * r + g * g + b * b); }
    // Player colours lack at least one channel; asteroids are pastel (every
    // channel at least half of the brightest), so a line crossing the table
    // is never taken for a row.
    bool isSaturated() const { return std::min({r, g, b}) < 0.4 * std::max({r, g, b}); }
};

colourVector fromBackground(uint32_t p) {
    return {red(p) - 13.0, green(p) - 13.0, blue(p) - 26.0};
}

} // namespace

int scoreRowExtent(const pngImage& image, int row) {
    const int top = SCORE_ROW_TOPS[row] + 3;
    const int bottom = SCORE_ROW_TOPS[row] + 14;
    colourVector brightest = {0, 0, 0};
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < FIRST_LETTER_COLUMNS; ++x) {
            const colourVector c = fromBackground(image.at(x, MENU_ROWS + y));
            if (c.isSaturated() && c.length() > brightest.length())
                brightest = c;
        }
    }
    if (brightest.length() < 60.0)
        return -1; // no text on this row
    int extent = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < AREA_SIZE; ++x) {
            const colourVector c = fromBackground(image.at(x, MENU_ROWS + y));
            const double cosine = (c.r * brightest.r + c.g * brightest.g + c.b * brightest.b) /
                                  (c.length() * brightest.length() + 1e-9);
            if (c.length() > 0.4 * brightest.length() && cosine > SAME_HUE && x > extent)
                extent = x;
        }
    }
    return extent;
}

void useLoopbackDiscovery() {
    setenv("ZEB_DISCOVERY", "127.255.255.255", 1);
    if (std::getenv("ZEB_DISCOVERY_PORT") == nullptr)
        setenv("ZEB_DISCOVERY_PORT", std::to_string(FALLBACK_DISCOVERY_PORT).c_str(), 1);
}

void useHeadlessDrivers() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("DISPLAY");
}
