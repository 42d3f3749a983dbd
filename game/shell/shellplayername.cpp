#include "game/shell/shellplayername.h"

#include "core/displaytext.h"

#include <algorithm>

bool acceptPlayerName(const std::string& text, std::string& name, std::string& error) {
    if (text.empty()) {
        error = "the name is empty";
        return false;
    }
    // What a host would clean on the way in is refused here, so that every
    // player sees the name as it was given.
    if (makeDisplayText(text) != text) {
        error = "the name must be valid UTF-8 without control or bidirectional characters";
        return false;
    }
    size_t cut = std::min(text.size(), PLAYER_NAME_MAX_BYTES);
    while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
        --cut; // back to the start of the character that would be split
    name = text.substr(0, cut);
    return true;
}
