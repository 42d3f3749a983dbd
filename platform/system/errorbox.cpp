#include "platform/system/errorbox.h"

#include <SDL.h>

void showErrorBox(const char* caption, const char* text) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}
