#include "platform/system/menufont.h"
#include "platform/system/menustrip.h"

#include <SDL.h>

namespace {

struct rgb {
    Uint8 r, g, b;
};

constexpr rgb STRIP_COLOUR = {240, 240, 240};
constexpr rgb TEXT_COLOUR = {0, 0, 0};
constexpr rgb HIGHLIGHT_COLOUR = {0, 120, 215};
constexpr rgb HIGHLIGHT_TEXT_COLOUR = {255, 255, 255};
constexpr rgb BORDER_COLOUR = {160, 160, 160};
constexpr rgb DROP_DOWN_COLOUR = {250, 250, 250};
constexpr int TEXT_TOP = 5;
constexpr int TEXT_INSET = 8;
constexpr int ITEM_TEXT_INSET = 20;

void setColour(SDL_Renderer* renderer, rgb colour) {
    SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
}

void fill(SDL_Renderer* renderer, int x, int y, int w, int h, rgb colour) {
    setColour(renderer, colour);
    const SDL_Rect rect = {x, y, w, h};
    SDL_RenderFillRect(renderer, &rect);
}

// Draws a label; the letter after '&' is underlined.
void drawLabel(SDL_Renderer* renderer, const char* label, int x, int y, rgb colour) {
    setColour(renderer, colour);
    bool underlineNext = false;
    for (const char* c = label; *c != '\0'; ++c) {
        if (*c == '&') {
            underlineNext = true;
            continue;
        }
        for (int row = 0; row < MENU_GLYPH_HEIGHT; ++row) {
            for (int column = 0; column < MENU_GLYPH_WIDTH; ++column) {
                if (menuGlyphPixel(*c, column, row))
                    SDL_RenderDrawPoint(renderer, x + column, y + row);
            }
        }
        if (underlineNext)
            SDL_RenderDrawLine(renderer, x, y + MENU_UNDERLINE_ROW, x + MENU_GLYPH_WIDTH - 1,
                               y + MENU_UNDERLINE_ROW);
        underlineNext = false;
        x += MENU_GLYPH_ADVANCE;
    }
}

void drawDropDown(const menuStrip& strip, SDL_Renderer* renderer) {
    const int index = strip.getOpenMenu();
    const int left = strip.titleLeft(index);
    const int width = strip.dropDownWidth(index);
    fill(renderer, left, MENU_STRIP_HEIGHT, width, MENU_ITEM_HEIGHT + 2, BORDER_COLOUR);
    const rgb background = strip.isItemHot() ? HIGHLIGHT_COLOUR : DROP_DOWN_COLOUR;
    fill(renderer, left + 1, MENU_STRIP_HEIGHT, width - 2, MENU_ITEM_HEIGHT + 1, background);
    const rgb text = strip.isItemHot() ? HIGHLIGHT_TEXT_COLOUR : TEXT_COLOUR;
    drawLabel(renderer, strip.getMenu(index).entry.label, left + ITEM_TEXT_INSET,
              MENU_STRIP_HEIGHT + TEXT_TOP, text);
}

} // namespace

void paintMenu(const menuStrip& strip, void* nativeRenderer, int windowWidth) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (renderer == nullptr)
        return;
    // The render device keeps its own viewport, clip and blending: leave them as found.
    SDL_Rect viewport;
    SDL_RenderGetViewport(renderer, &viewport);
    const SDL_bool clipped = SDL_RenderIsClipEnabled(renderer);
    SDL_Rect clip;
    SDL_RenderGetClipRect(renderer, &clip);
    SDL_BlendMode blend;
    SDL_GetRenderDrawBlendMode(renderer, &blend);
    Uint8 r, g, b, a;
    SDL_GetRenderDrawColor(renderer, &r, &g, &b, &a);

    SDL_RenderSetViewport(renderer, nullptr);
    SDL_RenderSetClipRect(renderer, nullptr);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);

    fill(renderer, 0, 0, windowWidth, MENU_STRIP_HEIGHT, STRIP_COLOUR);
    for (int i = 0; i < menuStrip::MENU_COUNT; ++i) {
        const bool open = (i == strip.getOpenMenu());
        if (open)
            fill(renderer, strip.titleLeft(i), 0, strip.titleWidth(i), MENU_STRIP_HEIGHT, HIGHLIGHT_COLOUR);
        drawLabel(renderer, strip.getMenu(i).title, strip.titleLeft(i) + TEXT_INSET, TEXT_TOP,
                  open ? HIGHLIGHT_TEXT_COLOUR : TEXT_COLOUR);
    }
    if (strip.getOpenMenu() >= 0)
        drawDropDown(strip, renderer);

    SDL_RenderSetViewport(renderer, &viewport);
    SDL_RenderSetClipRect(renderer, clipped ? &clip : nullptr);
    SDL_SetRenderDrawBlendMode(renderer, blend);
    SDL_SetRenderDrawColor(renderer, r, g, b, a);
}
