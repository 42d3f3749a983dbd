#include "game/windowed/hud/hudtext.h"

#include "drawing/font/font.h"

void drawGreyLine(const hudText& hud, float top, const std::string& line) {
    hud.text.setTop(top);
    hud.text.setColour(HUD_GREY, HUD_GREY, HUD_GREY, 1.0f);
    hud.text.print(line.c_str());
}
