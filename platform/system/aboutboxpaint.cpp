#include "platform/language/translation.h"
#include "platform/system/aboutbox.h"
#include "platform/system/pixeldraw.h"

namespace {

constexpr rgb TEXT_COLOUR = {0, 0, 0};
constexpr int TEXT_LEFT = 14;
constexpr int FIRST_LINE = 32;
constexpr int LINE_SPACING = 14;

} // namespace

void paintAboutBox(const aboutBox& about, void* nativeRenderer) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (renderer == nullptr || !about.isOpen())
        return;
    const aboutBox::box frame = about.frame();
    paintBoxFrame(renderer, frame, tr(ABOUT_CAPTION), about.isButtonPressed());
    drawLabel(renderer, ABOUT_VERSION_LINE, frame.x + TEXT_LEFT, frame.y + FIRST_LINE, TEXT_COLOUR);
    drawLabel(renderer, tr(ABOUT_SECOND_LINE), frame.x + TEXT_LEFT, frame.y + FIRST_LINE + LINE_SPACING,
              TEXT_COLOUR);
}
