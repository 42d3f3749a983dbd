#include "platform/system/aboutbox.h"

#include <SDL.h>

#include <string>

namespace {

constexpr int IDOK = 1;

} // namespace

void showAboutBox(void* nativeWindow) {
    const std::string text = std::string(ABOUT_VERSION_LINE) + "\n" + ABOUT_SECOND_LINE;
    const SDL_MessageBoxButtonData ok = {
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
    SDL_MessageBoxData box = {};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.window = static_cast<SDL_Window*>(nativeWindow);
    box.title = ABOUT_CAPTION;
    box.message = text.c_str();
    box.numbuttons = 1;
    box.buttons = &ok;
    int pressed = 0;
    SDL_ShowMessageBox(&box, &pressed);
}
