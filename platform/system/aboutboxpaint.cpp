#include "platform/system/aboutbox.h"
#include "platform/system/menufont.h"
#include "platform/system/pixeldraw.h"

namespace {

constexpr rgb FACE_COLOUR = {240, 240, 240};
constexpr rgb CAPTION_COLOUR = {0, 120, 215};
constexpr rgb CAPTION_TEXT_COLOUR = {255, 255, 255};
constexpr rgb TEXT_COLOUR = {0, 0, 0};
constexpr rgb BORDER_COLOUR = {100, 100, 100};
constexpr rgb BUTTON_COLOUR = {225, 225, 225};
constexpr rgb BUTTON_PRESSED_COLOUR = {204, 228, 247};
constexpr rgb BUTTON_BORDER_COLOUR = {0, 120, 215};
constexpr int TEXT_LEFT = 14;
constexpr int FIRST_LINE = 32;
constexpr int LINE_SPACING = 14;

void drawCloseMark(SDL_Renderer* renderer, const aboutBox::box& mark) {
    SDL_SetRenderDrawColor(renderer, CAPTION_TEXT_COLOUR.r, CAPTION_TEXT_COLOUR.g, CAPTION_TEXT_COLOUR.b,
                           255);
    const int inset = 4;
    const int x0 = mark.x + inset;
    const int y0 = mark.y + inset;
    const int x1 = mark.x + mark.w - 1 - inset;
    const int y1 = mark.y + mark.h - 1 - inset;
    SDL_RenderDrawLine(renderer, x0, y0, x1, y1);
    SDL_RenderDrawLine(renderer, x0, y1, x1, y0);
}

void drawButton(SDL_Renderer* renderer, const aboutBox::box& button, bool pressed) {
    fillRectangle(renderer, button.x, button.y, button.w, button.h,
                  pressed ? BUTTON_PRESSED_COLOUR : BUTTON_COLOUR);
    outlineRectangle(renderer, button.x, button.y, button.w, button.h, BUTTON_BORDER_COLOUR);
    const int textWidth = menuTextWidth(ABOUT_BUTTON);
    drawLabel(renderer, ABOUT_BUTTON, button.x + (button.w - textWidth) / 2,
              button.y + (button.h - MENU_GLYPH_HEIGHT) / 2 + 1, TEXT_COLOUR);
}

} // namespace

void paintAboutBox(const aboutBox& about, void* nativeRenderer) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (renderer == nullptr || !about.isOpen())
        return;
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    const aboutBox::box frame = about.frame();
    fillRectangle(renderer, frame.x, frame.y, frame.w, frame.h, FACE_COLOUR);
    fillRectangle(renderer, frame.x, frame.y, frame.w, aboutBox::CAPTION_HEIGHT, CAPTION_COLOUR);
    outlineRectangle(renderer, frame.x, frame.y, frame.w, frame.h, BORDER_COLOUR);
    drawLabel(renderer, ABOUT_CAPTION, frame.x + 8, frame.y + 6, CAPTION_TEXT_COLOUR);
    drawCloseMark(renderer, about.closeMark());
    drawLabel(renderer, ABOUT_VERSION_LINE, frame.x + TEXT_LEFT, frame.y + FIRST_LINE, TEXT_COLOUR);
    drawLabel(renderer, ABOUT_SECOND_LINE, frame.x + TEXT_LEFT, frame.y + FIRST_LINE + LINE_SPACING,
              TEXT_COLOUR);
    drawButton(renderer, about.okButton(), about.isButtonPressed());
}
