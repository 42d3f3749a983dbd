#include "platform/system/x11calls.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace {

template <typename Function> bool take(void* library, const char* name, Function*& function) {
    function = reinterpret_cast<Function*>(SDL_LoadFunction(library, name));
    return function != nullptr;
}

} // namespace

x11Calls::~x11Calls() {
    if (m_library != nullptr)
        SDL_UnloadObject(m_library);
}

bool x11Calls::load() {
    if (m_library != nullptr)
        return true;
    void* library = SDL_LoadObject("libX11.so.6");
    if (library == nullptr)
        return false;
    const bool complete =
        take(library, "XEventsQueued", eventsQueued) && take(library, "XConnectionNumber", connectionNumber);
    if (!complete) {
        SDL_UnloadObject(library);
        return false;
    }
    m_library = library;
    return true;
}

Display* findX11Display(void* nativeWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (nativeWindow == nullptr ||
        SDL_GetWindowWMInfo(static_cast<SDL_Window*>(nativeWindow), &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11)
        return nullptr;
    return info.info.x11.display;
}
