#include "platform/system/window.h"

#include "platform/system/menustrip.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/windowicon.h"

#include <SDL.h>

#include <cstring>

#include <deque>
#include <string>

struct gameWindow {
    SDL_Window* native = nullptr;
    windowProcedure procedure = nullptr;
    menuStrip menu;
    bool destroyed = false;
};

namespace {

gameWindow g_window;
bool g_windowExists = false;
std::deque<windowMessage> g_posted; // messages waiting for the loop, before any new event

constexpr int64_t KEY_REPEAT_FLAG = int64_t(1) << 30; // the key was already down

void post(uint32_t message, uint64_t wParam, int64_t lParam) {
    g_posted.push_back({message, wParam, lParam});
}

void translateKey(const SDL_KeyboardEvent& key) {
    const uint32_t code = virtualKeyFromNative(key.keysym.sym);
    if (code == VK_NONE)
        return;
    const bool system = (key.keysym.mod & KMOD_ALT) != 0 || code == VK_MENU;
    const bool down = key.type == SDL_KEYDOWN;
    const uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    post(message, code, key.repeat != 0 ? KEY_REPEAT_FLAG | 1 : 1);
}

void postCommand(uint32_t command) {
    if (command != 0)
        post(WM_COMMAND, command, 0);
}

void translateWindowEvent(const SDL_WindowEvent& event) {
    if (event.event == SDL_WINDOWEVENT_CLOSE)
        post(WM_CLOSE, 0, 0);
    else if (event.event == SDL_WINDOWEVENT_EXPOSED)
        post(WM_PAINT, 0, 0);
}

void translate(const SDL_Event& event) {
    if (!g_windowExists || g_window.destroyed)
        return;
    switch (event.type) {
    case SDL_QUIT: // the last window closed, or a stop signal
        post(WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        translateWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        translateKey(event.key);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT)
            postCommand(g_window.menu.mouseDown(event.button.x, event.button.y));
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT)
            postCommand(g_window.menu.mouseUp(event.button.x, event.button.y));
        break;
    case SDL_MOUSEMOTION:
        g_window.menu.mouseMove(event.motion.x, event.motion.y);
        break;
    default:
        break;
    }
}

// Only the window systems that can be there: probing a display server that is
// not running prints noise, and the headless drivers are taken only when asked for.
std::string displayDrivers() {
    std::string drivers;
    if (SDL_getenv("DISPLAY") != nullptr)
        drivers += "x11,";
    if (SDL_getenv("WAYLAND_DISPLAY") != nullptr)
        drivers += "wayland,";
    return drivers + "kmsdrm";
}

} // namespace

bool initialiseWindowSystem(const char** reason) {
    static std::string drivers;
    if (SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
        drivers = displayDrivers();
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0)
        return true;
    const bool noDisplaySet = SDL_getenv("DISPLAY") == nullptr && SDL_getenv("WAYLAND_DISPLAY") == nullptr;
    if (reason != nullptr)
        *reason = noDisplaySet ? "neither DISPLAY nor WAYLAND_DISPLAY is set" : SDL_GetError();
    return false;
}

gameWindow* createGameWindow(const char* title, windowProcedure procedure) {
    if (g_windowExists && !g_window.destroyed)
        return nullptr;
    if (g_windowExists)
        SDL_DestroyWindow(g_window.native); // a destroyed window's renderer is gone by now
    SDL_Window* native =
        SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, GAME_AREA_WIDTH,
                         MENU_STRIP_HEIGHT + GAME_AREA_HEIGHT, SDL_WINDOW_SHOWN);
    if (native == nullptr)
        return nullptr;
    setWindowIcon(native);
    g_window.native = native;
    g_window.procedure = procedure;
    g_window.menu = menuStrip();
    g_window.destroyed = false;
    g_windowExists = true;
    g_posted.clear();
    return &g_window;
}

bool peekMessage(windowMessage& message) {
    if (g_posted.empty()) {
        SDL_Event event;
        if (SDL_PollEvent(&event) == 0)
            return false;
        translate(event);
        if (g_posted.empty())
            return false;
    }
    message = g_posted.front();
    g_posted.pop_front();
    return true;
}

// Drivers without a display have no events to wait for: SDL would poll for
// them every millisecond, so the thread sleeps the whole time instead.
bool driverWaitsByPolling() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

void waitMessage(uint32_t milliseconds) {
    if (!g_posted.empty() || milliseconds == 0)
        return;
    if (driverWaitsByPolling())
        SDL_Delay(milliseconds);
    else
        SDL_WaitEventTimeout(nullptr, static_cast<int>(milliseconds));
}

int64_t dispatchMessage(const windowMessage& message) {
    if (!g_windowExists || g_window.procedure == nullptr)
        return 0;
    return g_window.procedure(&g_window, message.message, message.wParam, message.lParam);
}

int64_t defWindowProc(gameWindow* window, uint32_t message, uint64_t, int64_t) {
    if (message == WM_CLOSE && window != nullptr)
        destroyWindow(window);
    return 0;
}

void postMessage(gameWindow*, uint32_t message, uint64_t wParam, int64_t lParam) {
    post(message, wParam, lParam);
}

void postQuitMessage(int exitCode) {
    post(WM_QUIT, static_cast<uint64_t>(exitCode), 0);
}

void destroyWindow(gameWindow* window) {
    if (window == nullptr || window->destroyed)
        return;
    window->destroyed = true;
    SDL_HideWindow(window->native);
    if (window->procedure != nullptr)
        window->procedure(window, WM_DESTROY, 0, 0);
}

void* getNativeWindow(gameWindow* window) {
    return window != nullptr ? window->native : nullptr;
}

int getGameAreaTop(gameWindow*) {
    return MENU_STRIP_HEIGHT;
}

void paintMenuStrip(gameWindow* window, void* nativeRenderer) {
    if (window != nullptr && !window->destroyed)
        paintMenu(window->menu, nativeRenderer, GAME_AREA_WIDTH);
}

bool readWindowPixels(void* nativeRenderer, std::vector<uint32_t>& pixels, int& width, int& height) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (renderer == nullptr)
        return false;
    SDL_Rect viewport;
    SDL_RenderGetViewport(renderer, &viewport);
    SDL_RenderSetViewport(renderer, nullptr);
    int w = 0;
    int h = 0;
    bool read = SDL_GetRendererOutputSize(renderer, &w, &h) == 0 && w > 0 && h > 0;
    if (read) {
        pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        read = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                                    w * static_cast<int>(sizeof(uint32_t))) == 0;
    }
    SDL_RenderSetViewport(renderer, &viewport);
    if (!read)
        return false;
    width = w;
    height = h;
    return true;
}
