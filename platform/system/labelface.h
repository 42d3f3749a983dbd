#pragma once

#include <cstdint>
#include <string>

// The characters of the window's labels that the bitmap face lacks (accents,
// Cyrillic, Greek, Chinese: translations and the names players type), drawn
// from a scalable face at the labels' height: WenQuanYi Micro Hei through
// fontconfig, or beside the program on Windows. Its glyphs are kept as
// coverage masks, so they serve every renderer the window has.
constexpr size_t LABEL_MAX_GLYPHS = 1024; // kept at most; more start the cache afresh

// Whether the face can draw character; false when there is no face.
bool hasLabelGlyph(uint32_t character);
// The glyph's width in pixels, at least one bitmap cell; one cell when absent.
int labelGlyphAdvance(uint32_t character);
