#include "game/windowed/keybindings.h"

#include "platform/system/virtualkeys.h"

#include <cctype>

using namespace win;

namespace {

struct namedKey {
    const char* name;
    uint32_t key;
};

constexpr namedKey NAMED_KEYS[] = {
    {"Space", VK_SPACE}, {"Up", VK_UP},        {"Down", VK_DOWN},   {"Left", VK_LEFT},
    {"Right", VK_RIGHT}, {"Enter", VK_RETURN}, {"Tab", VK_TAB},     {"Backspace", VK_BACK},
    {"Shift", VK_SHIFT}, {"Ctrl", VK_CONTROL}, {"F12", VK_F1 + 11},
};
constexpr int BINDABLE_FUNCTION_KEYS = 9; // F1 to F9

bool sameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

keyBindings defaultBindings() {
    keyBindings bindings;
    bindings.of(control::thrust) = {'W', VK_UP};
    bindings.of(control::left) = {'A', VK_LEFT};
    bindings.of(control::right) = {'D', VK_RIGHT};
    bindings.of(control::fire) = {VK_SPACE};
    bindings.of(control::sound) = {'Z'};
    return bindings;
}

std::string keyName(uint32_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_NUMPAD0 && key < VK_NUMPAD0 + 10)
        return "Num" + std::to_string(key - VK_NUMPAD0);
    if (key >= VK_F1 && key < VK_F1 + BINDABLE_FUNCTION_KEYS)
        return "F" + std::to_string(key - VK_F1 + 1);
    for (const namedKey& named : NAMED_KEYS) {
        if (named.key == key)
            return named.name;
    }
    return "";
}

uint32_t keyFromName(const std::string& name) {
    if (name.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return static_cast<uint32_t>(c);
    }
    for (uint32_t key = VK_NUMPAD0; key < VK_NUMPAD0 + 10; ++key) {
        if (sameName(name, keyName(key).c_str()))
            return key;
    }
    for (uint32_t key = VK_F1; key < VK_F1 + BINDABLE_FUNCTION_KEYS; ++key) {
        if (sameName(name, keyName(key).c_str()))
            return key;
    }
    for (const namedKey& named : NAMED_KEYS) {
        if (sameName(name, named.name))
            return named.key;
    }
    return 0;
}

bool parseKeyList(const std::string& text, std::vector<uint32_t>& keys) {
    std::vector<uint32_t> parsed;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string name =
            trimmed(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        const uint32_t key = keyFromName(name);
        if (key == 0 || parsed.size() >= MAX_KEYS_PER_CONTROL)
            return false;
        parsed.push_back(key);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    keys = parsed;
    return true;
}

std::string keyListText(const std::vector<uint32_t>& keys) {
    std::string text;
    for (const uint32_t key : keys)
        text += (text.empty() ? "" : ", ") + keyName(key);
    return text;
}
