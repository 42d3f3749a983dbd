#pragma once

#include "tests/app/appprocess.h"
#include "tests/game/harmlesslevel.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// What the tests know of the program's picture: the menu strip above a 700 by
// 700 game area, text lines at the rows the HUD puts them.
constexpr int MENU_ROWS = 20;
constexpr int AREA_SIZE = 700;
constexpr int SCORE_ROW_TOPS[] = {0, 17, 35, 52}; // tops 1.0, 0.95, 0.90, 0.85
constexpr int SOUND_LINE_TOP = 612;               // top -0.75
constexpr int TEXT_ROWS = 18;

inline int red(uint32_t p) {
    return static_cast<int>((p >> 16) & 0xFF);
}
inline int green(uint32_t p) {
    return static_cast<int>((p >> 8) & 0xFF);
}
inline int blue(uint32_t p) {
    return static_cast<int>(p & 0xFF);
}

// The background is (0.05, 0.05, 0.1): 0x0D0D1A.
inline bool isBackground(uint32_t p) {
    return std::abs(red(p) - 0x0D) + std::abs(green(p) - 0x0D) + std::abs(blue(p) - 0x1A) < 40;
}
inline bool isRedText(uint32_t p) {
    return red(p) >= 150 && green(p) <= 80 && blue(p) <= 80;
}
inline bool isGreyText(uint32_t p) {
    return red(p) >= 120 && std::abs(red(p) - green(p)) < 12 && std::abs(red(p) - blue(p)) < 24;
}

// Pixels in the game-area rectangle [x0, x1) x [y0, y1) for which test holds.
template <typename Test> int countPixels(const pngImage& image, int x0, int x1, int y0, int y1, Test test) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            count += test(image.at(x, MENU_ROWS + y)) ? 1 : 0;
    }
    return count;
}

// The rightmost column of the text on a score row: the row's first letter
// gives its colour, and only pixels of that colour count, so lines of the game
// crossing the row are not taken for text.
int scoreRowExtent(const pngImage& image, int row);

// Starts copies with the loopback discovery of this test.
void useLoopbackDiscovery();
void useHeadlessDrivers();
