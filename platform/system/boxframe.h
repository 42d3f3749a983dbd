#pragma once

#include "platform/language/translation.h"

#include <initializer_list>

// What every box drawn in the window over the game shares: a frame with a
// caption and its close mark, and an "OK" button in the bottom right corner.
// Positions are in window pixels of the unscaled layout.

struct boxRect {
    int x, y, w, h;
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

constexpr const char* BOX_OK_BUTTON = marked("OK");
constexpr int BOX_CAPTION_HEIGHT = 20;
constexpr int BOX_TEXT_LEFT = 14; // where a box's lines start, and their margin on the right

// A box's width: least, or wider where one of its lines (translated, in the
// menu face) needs it, up to the window's width.
int boxWidthFor(int least, std::initializer_list<const char*> lines, int windowWidth);

boxRect boxCloseMark(const boxRect& frame);
boxRect boxOkButton(const boxRect& frame);

// Draws the face, caption, close mark and button with an SDL renderer (given
// as void*); the box draws its own content over the face.
void paintBoxFrame(void* nativeRenderer, const boxRect& frame, const char* caption, bool buttonPressed);
