#include "platform/system/boxframe.h"

#include "platform/language/translation.h"
#include "platform/system/menufont.h"
#include "platform/system/pixeldraw.h"

#include <algorithm>

namespace {

constexpr int BUTTON_WIDTH = 60;
constexpr int BUTTON_HEIGHT = 22;
constexpr int MARGIN = 10;
constexpr int CLOSE_MARK_SIZE = 16;
constexpr int CAPTION_TEXT_INSET = 8;
constexpr int CAPTION_TEXT_TOP = 6;

constexpr rgb FACE_COLOUR = {240, 240, 240};
constexpr rgb CAPTION_COLOUR = {0, 120, 215};
constexpr rgb CAPTION_TEXT_COLOUR = {255, 255, 255};
constexpr rgb TEXT_COLOUR = {0, 0, 0};
constexpr rgb BORDER_COLOUR = {100, 100, 100};
constexpr rgb BUTTON_COLOUR = {225, 225, 225};
constexpr rgb BUTTON_PRESSED_COLOUR = {204, 228, 247};
constexpr rgb BUTTON_BORDER_COLOUR = {0, 120, 215};

void drawCloseMark(SDL_Renderer* renderer, const boxRect& mark) {
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

void drawButton(SDL_Renderer* renderer, const boxRect& button, bool pressed) {
    fillRectangle(renderer, button.x, button.y, button.w, button.h,
                  pressed ? BUTTON_PRESSED_COLOUR : BUTTON_COLOUR);
    outlineRectangle(renderer, button.x, button.y, button.w, button.h, BUTTON_BORDER_COLOUR);
    const int textWidth = menuTextWidth(tr(BOX_OK_BUTTON));
    drawLabel(renderer, tr(BOX_OK_BUTTON), button.x + (button.w - textWidth) / 2,
              button.y + (button.h - MENU_GLYPH_HEIGHT) / 2 + 1, TEXT_COLOUR);
}

} // namespace

int boxWidthFor(int least, std::initializer_list<const char*> lines, int windowWidth) {
    int width = least;
    for (const char* line : lines)
        width = std::max(width, menuTextWidth(tr(line)) + 2 * BOX_TEXT_LEFT);
    return std::max(least, std::min(width, windowWidth));
}

boxRect boxCloseMark(const boxRect& frame) {
    return {frame.x + frame.w - CLOSE_MARK_SIZE - 2, frame.y + (BOX_CAPTION_HEIGHT - CLOSE_MARK_SIZE) / 2,
            CLOSE_MARK_SIZE, CLOSE_MARK_SIZE};
}

boxRect boxOkButton(const boxRect& frame) {
    return {frame.x + frame.w - BUTTON_WIDTH - MARGIN, frame.y + frame.h - BUTTON_HEIGHT - MARGIN,
            BUTTON_WIDTH, BUTTON_HEIGHT};
}

void paintBoxFrame(void* nativeRenderer, const boxRect& frame, const char* caption, bool buttonPressed) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    fillRectangle(renderer, frame.x, frame.y, frame.w, frame.h, FACE_COLOUR);
    fillRectangle(renderer, frame.x, frame.y, frame.w, BOX_CAPTION_HEIGHT, CAPTION_COLOUR);
    outlineRectangle(renderer, frame.x, frame.y, frame.w, frame.h, BORDER_COLOUR);
    drawLabel(renderer, caption, frame.x + CAPTION_TEXT_INSET, frame.y + CAPTION_TEXT_TOP,
              CAPTION_TEXT_COLOUR);
    drawCloseMark(renderer, boxCloseMark(frame));
    drawButton(renderer, boxOkButton(frame), buttonPressed);
}
