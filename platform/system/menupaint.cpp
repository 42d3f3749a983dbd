#include "platform/language/translation.h"
#include "platform/system/menustrip.h"
#include "platform/system/pixeldraw.h"

namespace {

constexpr rgb STRIP_COLOUR = {240, 240, 240};
constexpr rgb TEXT_COLOUR = {0, 0, 0};
constexpr rgb HIGHLIGHT_COLOUR = {0, 120, 215};
constexpr rgb HIGHLIGHT_TEXT_COLOUR = {255, 255, 255};
constexpr rgb BORDER_COLOUR = {160, 160, 160};
constexpr rgb DROP_DOWN_COLOUR = {250, 250, 250};
constexpr rgb GREYED_TEXT_COLOUR = {160, 160, 160};
constexpr int TEXT_TOP = 5;
constexpr int TEXT_INSET = 8;
constexpr int ITEM_TEXT_INSET = 20;

void drawDropDown(const menuStrip& strip, SDL_Renderer* renderer) {
    const int index = strip.getOpenMenu();
    const menuStrip::menu& opened = strip.getMenu(index);
    const int left = strip.titleLeft(index);
    const int width = strip.dropDownWidth(index);
    fillRectangle(renderer, left, MENU_STRIP_HEIGHT, width, opened.itemCount * MENU_ITEM_HEIGHT + 2,
                  BORDER_COLOUR);
    for (int i = 0; i < opened.itemCount; ++i) {
        const bool hot = i == strip.getHotItem();
        const int top = MENU_STRIP_HEIGHT + i * MENU_ITEM_HEIGHT;
        fillRectangle(renderer, left + 1, top, width - 2, MENU_ITEM_HEIGHT + 1,
                      hot ? HIGHLIGHT_COLOUR : DROP_DOWN_COLOUR);
        drawLabel(renderer, tr(opened.items[i].label), left + ITEM_TEXT_INSET, top + TEXT_TOP,
                  !opened.items[i].enabled ? GREYED_TEXT_COLOUR
                  : hot                    ? HIGHLIGHT_TEXT_COLOUR
                                           : TEXT_COLOUR);
    }
}

} // namespace

void paintMenu(const menuStrip& strip, void* nativeRenderer, int windowWidth) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (renderer == nullptr)
        return;
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    fillRectangle(renderer, 0, 0, windowWidth, MENU_STRIP_HEIGHT, STRIP_COLOUR);
    for (int i = 0; i < menuStrip::MENU_COUNT; ++i) {
        const bool open = (i == strip.getOpenMenu());
        if (open)
            fillRectangle(renderer, strip.titleLeft(i), 0, strip.titleWidth(i), MENU_STRIP_HEIGHT,
                          HIGHLIGHT_COLOUR);
        drawLabel(renderer, tr(strip.getMenu(i).title), strip.titleLeft(i) + TEXT_INSET, TEXT_TOP,
                  open ? HIGHLIGHT_TEXT_COLOUR : TEXT_COLOUR);
    }
    if (strip.getOpenMenu() >= 0)
        drawDropDown(strip, renderer);
}
