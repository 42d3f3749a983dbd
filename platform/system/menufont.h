#pragma once

#include <string>

// A small bitmap face drawn from code, so the menu strip needs no font files.
constexpr int MENU_GLYPH_WIDTH = 5;
constexpr int MENU_GLYPH_HEIGHT = 9; // seven rows above the baseline, two below
constexpr int MENU_GLYPH_ADVANCE = 6;
constexpr int MENU_UNDERLINE_ROW = 8;

// Whether the pixel (column, row) of character c is set; characters without a
// glyph are blank.
bool menuGlyphPixel(char c, int column, int row);

// Width in pixels of a label, ampersands not counted.
int menuTextWidth(const char* label);

// Width in pixels of text (UTF-8) drawn as it stands: one glyph per character.
int plainTextWidth(const std::string& text);
