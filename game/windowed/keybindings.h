#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Which keys (virtual-key codes) work which control. The settings file may
// change them; each control takes one key or several.
enum class control { thrust, left, right, fire, sound };
constexpr int CONTROL_COUNT = 5;
constexpr int MAX_KEYS_PER_CONTROL = 4;

struct keyBindings {
    std::vector<uint32_t> keys[CONTROL_COUNT];

    const std::vector<uint32_t>& of(control which) const { return keys[static_cast<int>(which)]; }
    std::vector<uint32_t>& of(control which) { return keys[static_cast<int>(which)]; }
};

// W or Up thrust, A or Left and D or Right turn, Space fires, Z switches sound.
keyBindings defaultBindings();

// Names as the settings file writes them: "A" to "Z", "0" to "9", "Space",
// "Up", "Down", "Left", "Right", "Enter", "Tab", "Backspace", "Shift", "Ctrl",
// "Num0" to "Num9", "F1" to "F9" and "F12" (F10 opens the menu, F11 switches
// full screen). Empty for a key without a name.
std::string keyName(uint32_t key);
uint32_t keyFromName(const std::string& name); // case does not matter; 0 when unknown

// "W, Up": one to MAX_KEYS_PER_CONTROL names separated by commas. False, with
// keys unchanged, when a name is unknown or the list is empty or too long.
bool parseKeyList(const std::string& text, std::vector<uint32_t>& keys);
std::string keyListText(const std::vector<uint32_t>& keys);
