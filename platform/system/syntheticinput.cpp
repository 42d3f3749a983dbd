#include "platform/system/syntheticinput.h"

#include "platform/system/virtualkeys.h"

#include <SDL.h>

void pushKeyEvent(uint32_t virtualKey, bool down, bool withAlt, bool repeat) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = nativeKeyFromVirtual(virtualKey);
    event.key.keysym.mod = withAlt ? KMOD_LALT : KMOD_NONE;
    SDL_PushEvent(&event);
}

void pushMouseButtonEvent(int x, int y, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void pushMouseMoveEvent(int x, int y) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
}

void pushCloseEvent() {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
}
