#pragma once

#include "platform/system/keystates.h"
#include "platform/system/menustrip.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The game's one window: a menu strip on top and the game area below it. Events
// of the window system become the messages of a window procedure, with the
// message numbers and virtual-key codes the game was designed around.

namespace win {

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005; // the window's size changed
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104; // a key pressed with Alt
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_COMMAND = 0x0111; // low 16 bits of wParam: the command

} // namespace win

constexpr int GAME_AREA_WIDTH = 700;
constexpr int GAME_AREA_HEIGHT = 700;

constexpr int64_t KEY_REPEAT_FLAG = int64_t(1) << 30; // in lParam: the key was already down

struct windowMessage {
    uint32_t message = win::WM_NULL;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

struct gameWindow; // opaque; one exists at a time
using windowProcedure = int64_t (*)(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam);

// Starts the window system. False (with the reason in reason) when there is no
// display to open a window on; reason stays valid until the next call.
bool initialiseWindowSystem(const char** reason);

// The window's size in the window system's units (not pixels on a
// high-density screen): the menu strip and the play area below it.
struct windowPlacement {
    int width = GAME_AREA_WIDTH;
    int height = MENU_STRIP_HEIGHT + GAME_AREA_HEIGHT;
    bool fullScreen = false;
};

// Creates and shows the window, resizable, no larger than the screen; null on
// failure or while another window lives. The procedure, when given, receives
// every dispatched message and hands what it does not take to defWindowProc;
// without one, defWindowProc takes them all.
gameWindow* createGameWindow(const char* title, windowProcedure procedure,
                             const windowPlacement& placement = windowPlacement());

// Takes at most one pending event without waiting and turns it into a message.
// False when nothing produced a message.
bool peekMessage(windowMessage& message);

// Waits until an event is pending or milliseconds have passed, whichever is first.
void waitMessage(uint32_t milliseconds);

// Before any procedure sees a message, the window keeps what the game reads
// instead of messages: F11 and Alt+Enter switch full screen (and go no
// further), key-down and key-up set the key states, and a new size is noted.
int64_t dispatchMessage(const windowMessage& message);
// The window's own handling: Alt and a menu's letter (or F10) open a menu,
// the File and Help menus' commands are carried out, a close destroys the
// window and its destruction ends the loop.
int64_t defWindowProc(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam);
void postMessage(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam);
void postQuitMessage(int exitCode);

// Hides the window and sends WM_DESTROY to its procedure. The native window
// lives on until the process ends, since the render device draws into it.
void destroyWindow(gameWindow* window);

void* getNativeWindow(gameWindow* window); // the SDL_Window, for the platform layer
bool isWindowDestroyed(const gameWindow* window);
// The keys down in the window, as its key messages left them. A key whose
// press the game has used up is set up again by it.
keyStates& getWindowKeys(gameWindow* window);
// True once after each change of the window's size or of full screen.
bool takeWindowResized(gameWindow* window);
// The menus' commands that are the game's to carry out (the name box's), in
// the order chosen since the last take; the window carries out the others.
std::vector<uint32_t> takeWindowCommands(gameWindow* window);
// The object the window's procedure works for, as the procedure cannot carry
// one; null until set.
void setWindowOwner(gameWindow* window, void* owner);
void* getWindowOwner(const gameWindow* window);
int getGameAreaTop(gameWindow* window); // the game area's first row below the menu strip

// A rectangle of real pixels of the window's client area.
struct pixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const pixelRect&) const = default;
};

// The play area keeps its square: the largest square below the menu strip,
// centred in what is left.
pixelRect fitPlayArea(int pixelWidth, int pixelHeight, int menuPixels);
pixelRect getPlayArea(gameWindow* window); // for the window's present size and pixel density

windowPlacement getWindowPlacement(gameWindow* window);  // the size when not full screen
void setFullScreen(gameWindow* window, bool fullScreen); // the whole screen, the menu strip kept

// Draws the border of the play area in a window that is not square, the menu
// strip, an open menu and an open About or name box with the native
// renderer; called before the frame is presented. True when an open menu or
// box was drawn over the play area.
bool paintMenuStrip(gameWindow* window, void* nativeRenderer);

// The About box is drawn in the window and leaves the loop running; while it
// is open it takes the key and mouse presses. It closes by itself on "OK",
// Enter, Escape or its close mark.
void openAboutBox(gameWindow* window);
bool isAboutBoxOpen(const gameWindow* window);
int getOpenMenu(const gameWindow* window); // -1 when no menu is open

// The address a phone's browser opens to join, shown as a QR code in a box
// like the About box from the File menu; while it is empty the menu's item
// is greyed.
void setJoinAddress(gameWindow* window, const std::string& address);
void openJoinBox(gameWindow* window);
std::string getJoinAddress(const gameWindow* window);
bool isJoinBoxOpen(const gameWindow* window);

// The name box, a one-line text field drawn in the window like the About box
// and modal for input as that one is, holding at most maxBytes of UTF-8.
// Enter or "OK" post WM_COMMAND with COMMAND_NAME_CHOSEN: the game reads the
// text and either closes the box or refuses the text with a short reason,
// which the box shows and stays open. Escape or the close mark close it.
void openNameBox(gameWindow* window, const std::string& text, size_t maxBytes);
void closeNameBox(gameWindow* window);
void refuseNameBoxText(gameWindow* window, const std::string& reason);
bool isNameBoxOpen(const gameWindow* window);
std::string getNameBoxText(const gameWindow* window);
std::string getNameBoxReason(const gameWindow* window); // empty unless refused

// Reads the whole client area (menu strip and game area) as 0xAARRGGBB, row by
// row, from the native renderer before the frame is presented.
bool readWindowPixels(void* nativeRenderer, std::vector<uint32_t>& pixels, int& width, int& height);
