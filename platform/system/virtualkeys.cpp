#include "platform/system/virtualkeys.h"

#include <SDL.h>

using namespace win;

namespace {

struct keyPair {
    SDL_Keycode native;
    uint32_t virtualKey;
};

// Keys outside the letter, digit, keypad and function-key ranges.
constexpr keyPair NAMED_KEYS[] = {
    {SDLK_BACKSPACE, VK_BACK}, {SDLK_TAB, VK_TAB},       {SDLK_RETURN, VK_RETURN}, {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT},   {SDLK_LCTRL, VK_CONTROL}, {SDLK_RCTRL, VK_CONTROL}, {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},      {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_SPACE, VK_SPACE},   {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},          {SDLK_RIGHT, VK_RIGHT},   {SDLK_DOWN, VK_DOWN},
};

constexpr SDL_Keycode KEYPAD_DIGITS[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                         SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};
constexpr int FUNCTION_KEY_COUNT = 12;

} // namespace

uint32_t virtualKeyFromNative(int32_t nativeKey) {
    if (nativeKey >= SDLK_a && nativeKey <= SDLK_z)
        return static_cast<uint32_t>('A' + (nativeKey - SDLK_a));
    if (nativeKey >= SDLK_0 && nativeKey <= SDLK_9)
        return static_cast<uint32_t>(nativeKey);
    if (nativeKey >= SDLK_F1 && nativeKey < SDLK_F1 + FUNCTION_KEY_COUNT)
        return VK_F1 + static_cast<uint32_t>(nativeKey - SDLK_F1);
    for (int digit = 0; digit < 10; ++digit) {
        if (KEYPAD_DIGITS[digit] == nativeKey)
            return VK_NUMPAD0 + static_cast<uint32_t>(digit);
    }
    for (const keyPair& pair : NAMED_KEYS) {
        if (pair.native == nativeKey)
            return pair.virtualKey;
    }
    return VK_NONE;
}

int32_t nativeKeyFromVirtual(uint32_t virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return SDLK_a + static_cast<int32_t>(virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9')
        return static_cast<int32_t>(virtualKey);
    if (virtualKey >= VK_F1 && virtualKey < VK_F1 + FUNCTION_KEY_COUNT)
        return SDLK_F1 + static_cast<int32_t>(virtualKey - VK_F1);
    for (const keyPair& pair : NAMED_KEYS) {
        if (pair.virtualKey == virtualKey)
            return pair.native;
    }
    return 0;
}
