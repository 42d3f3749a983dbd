#include "platform/system/window.h"

#include "platform/system/aboutbox.h"
#include "platform/system/displaydrivers.h"
#include "platform/system/displayevents.h"
#include "platform/system/gamepad.h"
#include "platform/system/joinbox.h"
#include "platform/system/menustrip.h"
#include "platform/system/namebox.h"
#include "platform/system/pixeldraw.h"
#include "platform/system/textentry.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/windowicon.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

using namespace win;

struct gameWindow {
    SDL_Window* native = nullptr;
    windowProcedure procedure = nullptr;
    void* owner = nullptr;
    keyStates keys;
    bool resized = false;
    std::vector<uint32_t> commands; // the game's, not yet taken
    menuStrip menu;
    aboutBox about;
    joinBox join;
    nameBox name;
    textEntry entry;
    displayEvents events;
    bool destroyed = false;
};

namespace {

gameWindow g_window;
bool g_windowExists = false;
std::deque<windowMessage> g_posted; // messages waiting for the loop, before any new event

void post(uint32_t message, uint64_t wParam, int64_t lParam) {
    g_posted.push_back({message, wParam, lParam});
}

void postCommand(uint32_t command) {
    if (command != 0)
        post(WM_COMMAND, command, 0);
}

// The About box or the join box, whichever is open: both take input alike.
aboutBox* openInfoBox() {
    if (g_window.about.isOpen())
        return &g_window.about;
    return g_window.join.box().isOpen() ? &g_window.join.box() : nullptr;
}

void postNameOutcome(nameBox::outcome outcome) {
    if (outcome == nameBox::outcome::accepted)
        post(WM_COMMAND, COMMAND_NAME_CHOSEN, 0);
}

// Text arrives only while the name box or a typed line is open: the key that
// opened it, or the game's keys, must not be typed into it.
void matchTextInput() {
    const bool wanted = g_window.name.isOpen() || g_window.entry.isOpen();
    if (wanted != (SDL_IsTextInputActive() == SDL_TRUE)) {
        if (wanted)
            SDL_StartTextInput();
        else
            SDL_StopTextInput();
    }
}

// An open box, menu or typed line takes the key presses, as a modal box or a
// menu loop would; releases still reach the window, so no key stays down.
bool takenByBoxOrMenu(uint32_t code) {
    if (g_window.name.isOpen()) {
        postNameOutcome(g_window.name.keyDown(code));
        return true;
    }
    if (aboutBox* box = openInfoBox()) {
        box->keyDown(code);
        return true;
    }
    if (g_window.menu.getOpenMenu() >= 0) {
        postCommand(g_window.menu.keyDown(code));
        return true;
    }
    return g_window.entry.keyDown(code);
}

void translateKey(const SDL_KeyboardEvent& key) {
    const uint32_t code = virtualKeyFromNative(key.keysym.sym);
    if (code == VK_NONE)
        return;
    const bool down = key.type == SDL_KEYDOWN;
    if (down && takenByBoxOrMenu(code))
        return;
    if (!down)
        g_window.entry.keyUp(code);
    // F10 is a system key, as on the system the game was designed for.
    const bool system = (key.keysym.mod & KMOD_ALT) != 0 || code == VK_MENU || code == VK_F10;
    const uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    post(message, code, key.repeat != 0 ? KEY_REPEAT_FLAG | 1 : 1);
}

void translateWindowEvent(const SDL_WindowEvent& event) {
    if (event.event == SDL_WINDOWEVENT_CLOSE)
        post(WM_CLOSE, 0, 0);
    else if (event.event == SDL_WINDOWEVENT_EXPOSED)
        post(WM_PAINT, 0, 0);
    else if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        post(WM_SIZE, 0, (int64_t(event.data2) << 16) | (event.data1 & 0xFFFF));
    if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED && g_window.about.isOpen())
        g_window.about.open(event.data1, event.data2); // stays in its corner
    if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED && g_window.join.box().isOpen())
        g_window.join.open(event.data1, event.data2);
    if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        g_window.name.place(event.data1, event.data2);
}

constexpr int WINDOW_MIN_SIZE = 200; // room for the menus and a play area worth playing in

// Real pixels per window unit: 2 on a high-density screen, 1 elsewhere.
int pixelScale(SDL_Window* native) {
    int width = 0;
    int height = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    SDL_GetWindowSize(native, &width, &height);
    SDL_GetWindowSizeInPixels(native, &pixelWidth, &pixelHeight);
    if (SDL_Renderer* renderer = SDL_GetRenderer(native))
        SDL_GetRendererOutputSize(renderer, &pixelWidth, &pixelHeight);
    if (width < 1 || pixelWidth <= width)
        return 1;
    return (pixelWidth + width / 2) / width;
}

// A window larger than the screen's usable part is made to fit it.
void clampToScreen(int& width, int& height) {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w < 1 || usable.h < 1)
        return;
    width = std::min(width, usable.w);
    height = std::min(height, usable.h);
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
    case SDL_TEXTINPUT:
        if (g_window.name.isOpen())
            g_window.name.textInput(
                std::string(event.text.text, strnlen(event.text.text, sizeof(event.text.text))));
        else if (openInfoBox() == nullptr && g_window.menu.getOpenMenu() < 0)
            g_window.entry.type(event.text.text);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT)
            break;
        if (g_window.name.isOpen())
            g_window.name.mouseDown(event.button.x, event.button.y);
        else if (aboutBox* box = openInfoBox())
            box->mouseDown(event.button.x, event.button.y);
        else
            postCommand(g_window.menu.mouseDown(event.button.x, event.button.y));
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT)
            break;
        if (g_window.name.isOpen())
            postNameOutcome(g_window.name.mouseUp(event.button.x, event.button.y));
        else if (aboutBox* box = openInfoBox())
            box->mouseUp(event.button.x, event.button.y);
        else
            postCommand(g_window.menu.mouseUp(event.button.x, event.button.y));
        break;
    case SDL_CONTROLLERDEVICEADDED:
        gamepadAdded(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        gamepadRemoved(event.cdevice.which);
        break;
    case SDL_MOUSEMOTION:
        g_window.menu.mouseMove(event.motion.x, event.motion.y);
        break;
    default:
        break;
    }
    matchTextInput(); // the box may have closed itself
}

} // namespace

bool initialiseWindowSystem(const char** reason) {
    static std::string drivers;
    static std::string failure;
    if (SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
        drivers = displayDrivers();
        if (!drivers.empty())
            SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) {
        initialiseGamepads();
        return true;
    }
    failure = noDisplayReason(SDL_GetError());
    if (reason != nullptr)
        *reason = failure.c_str();
    return false;
}

gameWindow* createGameWindow(const char* title, windowProcedure procedure, const windowPlacement& placement) {
    if (g_windowExists && !g_window.destroyed)
        return nullptr;
    if (g_windowExists)
        SDL_DestroyWindow(g_window.native); // a destroyed window's renderer is gone by now
    int width = std::max(1, placement.width);
    int height = std::max(1, placement.height);
    clampToScreen(width, height);
    const Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI |
                         (placement.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    SDL_Window* native =
        SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, flags);
    if (native == nullptr)
        return nullptr;
    SDL_SetWindowMinimumSize(native, WINDOW_MIN_SIZE, WINDOW_MIN_SIZE);
    setWindowIcon(native);
    g_window.native = native;
    g_window.procedure = procedure;
    g_window.owner = nullptr;
    g_window.keys.clear();
    g_window.resized = false;
    g_window.commands.clear();
    g_window.menu = menuStrip();
    g_window.about = aboutBox();
    g_window.join = joinBox();
    g_window.name = nameBox();
    g_window.entry.close();
    g_window.destroyed = false;
    g_windowExists = true;
    g_posted.clear();
    g_window.events.attach(native);
    matchTextInput();
    return &g_window;
}

namespace {

// What SDL holds already, then what the window system may have brought.
bool takeEvent(SDL_Event& event) {
    const auto take = [&event] {
        return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
    };
    if (take())
        return true;
    if (g_windowExists && !g_window.events.worthPumping(SDL_GetTicks(), getGamepadCount() > 0))
        return false;
    SDL_PumpEvents();
    return take();
}

} // namespace

bool peekMessage(windowMessage& message) {
    if (g_windowExists)
        matchTextInput(); // the game may have opened a typed line since the last pass
    if (g_posted.empty()) {
        SDL_Event event;
        if (!takeEvent(event))
            return false;
        translate(event);
        if (g_posted.empty())
            return false;
    }
    message = g_posted.front();
    g_posted.pop_front();
    return true;
}

// The loop reads input once a frame, so waking for every event (X11 sends
// several a frame, a display-less driver makes SDL poll each millisecond)
// only costs wake-ups: the thread sleeps until the frame is due, and the
// events that came meanwhile are taken then.
void waitMessage(uint32_t milliseconds) {
    if (!g_posted.empty() || milliseconds == 0)
        return;
    SDL_Delay(milliseconds);
}

namespace {

bool isFullScreenKey(const windowMessage& message) {
    const uint32_t key = static_cast<uint32_t>(message.wParam & 0xFFFF);
    return (message.message == WM_KEYDOWN && key == VK_F11) ||
           (message.message == WM_SYSKEYDOWN && key == VK_RETURN);
}

} // namespace

int64_t dispatchMessage(const windowMessage& message) {
    if (!g_windowExists)
        return 0;
    if (isFullScreenKey(message)) {
        if ((message.lParam & KEY_REPEAT_FLAG) == 0)
            setFullScreen(&g_window, !getWindowPlacement(&g_window).fullScreen);
        return 0;
    }
    if (message.message == WM_KEYDOWN || message.message == WM_KEYUP)
        g_window.keys.set(static_cast<uint32_t>(message.wParam & 0xFFFF), message.message == WM_KEYDOWN);
    if (message.message == WM_KEYDOWN && (message.lParam & KEY_REPEAT_FLAG) == 0)
        g_window.keys.countPress(static_cast<uint32_t>(message.wParam & 0xFFFF));
    if (message.message == WM_SIZE)
        g_window.resized = true;
    if (g_window.procedure == nullptr)
        return defWindowProc(&g_window, message.message, message.wParam, message.lParam);
    return g_window.procedure(&g_window, message.message, message.wParam, message.lParam);
}

// Alt and a menu's underlined letter opens that menu, F10 the first one.
int64_t defWindowProc(gameWindow* window, uint32_t message, uint64_t wParam, int64_t) {
    if (window == nullptr)
        return 0;
    if (message == WM_CLOSE)
        destroyWindow(window);
    if (message == WM_DESTROY)
        postQuitMessage(0);
    if (message == WM_COMMAND &&
        ((wParam & 0xFFFF) == COMMAND_NAME || (wParam & 0xFFFF) == COMMAND_NAME_CHOSEN ||
         (wParam & 0xFFFF) == COMMAND_WATCH || (wParam & 0xFFFF) == COMMAND_LANGUAGE))
        window->commands.push_back(static_cast<uint32_t>(wParam & 0xFFFF));
    if (message == WM_COMMAND && (wParam & 0xFFFF) == COMMAND_ABOUT)
        openAboutBox(window);
    if (message == WM_COMMAND && (wParam & 0xFFFF) == COMMAND_JOIN_PHONE)
        openJoinBox(window);
    if (message == WM_COMMAND && (wParam & 0xFFFF) == COMMAND_EXIT)
        destroyWindow(window);
    if (message == WM_SYSKEYDOWN && openInfoBox() == nullptr) {
        const uint32_t code = static_cast<uint32_t>(wParam & 0xFFFF);
        if (code == VK_F10)
            window->menu.openFirst();
        else
            window->menu.openByMnemonic(code);
    }
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
    else
        defWindowProc(window, WM_DESTROY, 0, 0);
}

bool isWindowDestroyed(const gameWindow* window) {
    return window == nullptr || window->destroyed;
}

keyStates& getWindowKeys(gameWindow* window) {
    return window->keys;
}

std::vector<uint32_t> takeWindowCommands(gameWindow* window) {
    std::vector<uint32_t> commands;
    commands.swap(window->commands);
    return commands;
}

textEntry& getWindowTextEntry(gameWindow* window) {
    return window->entry;
}

bool takeWindowResized(gameWindow* window) {
    const bool resized = window->resized;
    window->resized = false;
    return resized;
}

void* getNativeWindow(gameWindow* window) {
    return window != nullptr ? window->native : nullptr;
}

int getGameAreaTop(gameWindow*) {
    return MENU_STRIP_HEIGHT;
}

namespace {

// In a window that is not square the play area has bars beside it (or above
// and below): a thin line shows where the field ends and wraps.
constexpr rgb PLAY_AREA_BORDER = {0x50, 0x58, 0x80};

void paintPlayAreaBorder(gameWindow* window, SDL_Renderer* renderer) {
    int pixelWidth = 0;
    int pixelHeight = 0;
    SDL_GetRendererOutputSize(renderer, &pixelWidth, &pixelHeight);
    const pixelRect area = getPlayArea(window);
    if (area.width >= pixelWidth && area.y + area.height >= pixelHeight)
        return;
    outlineRectangle(renderer, area.x - 1, area.y - 1, area.width + 2, area.height + 2, PLAY_AREA_BORDER);
}

} // namespace

bool paintMenuStrip(gameWindow* window, void* nativeRenderer) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (window == nullptr || window->destroyed || renderer == nullptr)
        return false;
    const rendererStateGuard saved(renderer);
    SDL_RenderSetViewport(renderer, nullptr);
    SDL_RenderSetClipRect(renderer, nullptr);
    paintPlayAreaBorder(window, renderer); // in device pixels, before the menu's scale
    const float scale = static_cast<float>(pixelScale(window->native));
    SDL_RenderSetScale(renderer, scale, scale);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window->native, &width, &height);
    paintMenu(window->menu, renderer, width);
    paintAboutBox(window->about, renderer);
    paintJoinBox(window->join, renderer);
    paintNameBox(window->name, renderer);
    return window->menu.getOpenMenu() >= 0 || openInfoBox() != nullptr || window->name.isOpen();
}

pixelRect fitPlayArea(int pixelWidth, int pixelHeight, int menuPixels) {
    const int below = std::max(1, pixelHeight - menuPixels);
    const int side = std::max(1, std::min(pixelWidth, below));
    return {std::max(0, (pixelWidth - side) / 2), menuPixels + std::max(0, (below - side) / 2), side, side};
}

pixelRect getPlayArea(gameWindow* window) {
    if (window == nullptr)
        return fitPlayArea(GAME_AREA_WIDTH, MENU_STRIP_HEIGHT + GAME_AREA_HEIGHT, MENU_STRIP_HEIGHT);
    int pixelWidth = 0;
    int pixelHeight = 0;
    SDL_GetWindowSizeInPixels(window->native, &pixelWidth, &pixelHeight);
    if (SDL_Renderer* renderer = SDL_GetRenderer(window->native))
        SDL_GetRendererOutputSize(renderer, &pixelWidth, &pixelHeight);
    return fitPlayArea(pixelWidth, pixelHeight, MENU_STRIP_HEIGHT * pixelScale(window->native));
}

windowPlacement getWindowPlacement(gameWindow* window) {
    windowPlacement placement;
    if (window == nullptr)
        return placement;
    placement.fullScreen = (SDL_GetWindowFlags(window->native) & SDL_WINDOW_FULLSCREEN) != 0;
    if (!placement.fullScreen)
        SDL_GetWindowSize(window->native, &placement.width, &placement.height);
    return placement;
}

void setFullScreen(gameWindow* window, bool fullScreen) {
    if (window != nullptr && !window->destroyed)
        SDL_SetWindowFullscreen(window->native, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void openAboutBox(gameWindow* window) {
    if (window == nullptr)
        return;
    window->menu.close();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window->native, &width, &height);
    window->join.box().close();
    window->about.open(width, height);
}

void setJoinAddress(gameWindow* window, const std::string& address) {
    if (window == nullptr)
        return;
    const bool wasOpen = window->join.box().isOpen();
    window->join.setAddress(address);
    window->menu.enable(COMMAND_JOIN_PHONE, window->join.canOpen());
    if (wasOpen)
        openJoinBox(window); // sized for the new code
}

void openJoinBox(gameWindow* window) {
    if (window == nullptr || window->destroyed || !window->join.canOpen())
        return;
    window->menu.close();
    window->about.close();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window->native, &width, &height);
    window->join.open(width, height);
}

std::string getJoinAddress(const gameWindow* window) {
    return window != nullptr ? window->join.getAddress() : std::string();
}

bool isJoinBoxOpen(const gameWindow* window) {
    return window != nullptr && window->join.box().isOpen();
}

void openNameBox(gameWindow* window, const std::string& text, size_t maxBytes) {
    if (window == nullptr || window->destroyed)
        return;
    window->menu.close();
    window->about.close();
    window->join.box().close();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window->native, &width, &height);
    window->name.open(width, height, text, maxBytes);
    matchTextInput();
}

void closeNameBox(gameWindow* window) {
    if (window == nullptr)
        return;
    window->name.close();
    matchTextInput();
}

void refuseNameBoxText(gameWindow* window, const std::string& reason) {
    if (window != nullptr)
        window->name.refuse(reason);
}

bool isNameBoxOpen(const gameWindow* window) {
    return window != nullptr && window->name.isOpen();
}

std::string getNameBoxText(const gameWindow* window) {
    return window != nullptr ? window->name.getText() : std::string();
}

std::string getNameBoxReason(const gameWindow* window) {
    return window != nullptr ? window->name.getReason() : std::string();
}

bool isAboutBoxOpen(const gameWindow* window) {
    return window != nullptr && window->about.isOpen();
}

int getOpenMenu(const gameWindow* window) {
    return window != nullptr ? window->menu.getOpenMenu() : -1;
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

void setWindowOwner(gameWindow* window, void* owner) {
    if (window != nullptr)
        window->owner = owner;
}

void* getWindowOwner(const gameWindow* window) {
    return window != nullptr ? window->owner : nullptr;
}
