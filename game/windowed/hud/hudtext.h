#pragma once

#include <string>

class font;

// Where the HUD's lines go: the play area runs from -1 to 1 both ways, text
// from the top down, each line m_lineSpacing below the one before.
constexpr float HUD_TOP_LINE = 1.0f;
constexpr float HUD_BOTTOM_EDGE = -1.0f;
constexpr float HUD_GREY = 0.75f;

struct hudText {
    font& text;
    float lineSpacing; // between two lines, in the play area's units
};

// A line of the window's own grey, starting at the left edge.
void drawGreyLine(const hudText& hud, float top, const std::string& line);
