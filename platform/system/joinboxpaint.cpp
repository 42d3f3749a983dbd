#include "platform/system/joinbox.h"
#include "platform/system/menufont.h"
#include "platform/system/pixeldraw.h"

namespace {

constexpr rgb LIGHT = {255, 255, 255};
constexpr rgb DARK = {0, 0, 0};

void paintCode(SDL_Renderer* renderer, const qrMatrix& code, const boxRect& place) {
    fillRectangle(renderer, place.x, place.y, place.w, place.h, LIGHT);
    const int inset = joinBox::QUIET_MODULES * joinBox::MODULE_PIXELS;
    for (int y = 0; y < code.size; ++y)
        for (int x = 0; x < code.size; ++x)
            if (code.isDark(x, y))
                fillRectangle(renderer, place.x + inset + x * joinBox::MODULE_PIXELS,
                              place.y + inset + y * joinBox::MODULE_PIXELS, joinBox::MODULE_PIXELS,
                              joinBox::MODULE_PIXELS, DARK);
}

} // namespace

void paintJoinBox(const joinBox& join, void* nativeRenderer) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (renderer == nullptr || !join.box().isOpen())
        return;
    const boxRect frame = join.box().frame();
    paintBoxFrame(renderer, frame, tr(JOIN_CAPTION), join.box().isButtonPressed());
    const boxRect code = join.codeRect();
    paintCode(renderer, join.getCode(), code);
    const int textWidth = menuTextWidth(join.getAddress().c_str());
    drawLabel(renderer, join.getAddress().c_str(), frame.x + (frame.w - textWidth) / 2,
              code.y + code.h + joinBox::TEXT_GAP, DARK);
}
