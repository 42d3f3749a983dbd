#pragma once

#include <cstdint>

// Windows virtual-key codes of the keys the game can see: letters as their
// upper-case ASCII code, digits as ASCII, Space 0x20. 0 means "no such key".
namespace win {

constexpr uint32_t VK_NONE = 0x00;
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12; // Alt
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_NUMPAD0 = 0x60;
constexpr uint32_t VK_F1 = 0x70;
constexpr uint32_t VK_F10 = 0x79;
constexpr uint32_t VK_F11 = 0x7A;

} // namespace win

// The code of an SDL key (SDL_Keycode), or win::VK_NONE.
uint32_t virtualKeyFromNative(int32_t nativeKey);

// The SDL key that gives this code, or 0; used to synthesise input in tests.
int32_t nativeKeyFromVirtual(uint32_t virtualKey);
