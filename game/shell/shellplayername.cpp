#include "game/shell/shellplayername.h"

#include <cstdint>

namespace {

// The length of the UTF-8 sequence at text[i], 0 when it is not valid
// (overlong forms, surrogates and code points beyond U+10FFFF included).
size_t sequenceLength(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    size_t length = 0;
    uint32_t codePoint = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3Fu);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool acceptPlayerName(const std::string& text, std::string& name, std::string& error) {
    size_t cut = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = sequenceLength(text, i);
        if (length == 0) {
            error = "the name is not valid UTF-8";
            return false;
        }
        const auto first = static_cast<uint8_t>(text[i]);
        if (first < 0x20 || first == 0x7F) {
            error = "the name holds a control character";
            return false;
        }
        if (i + length <= PLAYER_NAME_MAX_BYTES)
            cut = i + length;
        i += length;
    }
    if (cut == 0) {
        error = "the name is empty";
        return false;
    }
    name = text.substr(0, cut);
    return true;
}
