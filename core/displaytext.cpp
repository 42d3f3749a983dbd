#include "core/displaytext.h"

#include <cstdint>

namespace {

// The length of the valid UTF-8 sequence at text[0] and its code point, or 0.
size_t decodeOne(const unsigned char* text, size_t left, uint32_t& codePoint) {
    const unsigned char lead = text[0];
    size_t length = 0;
    uint32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (length > left)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0u) != 0x80u)
            return 0;
        codePoint = (codePoint << 6) | (text[i] & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || surrogate || codePoint > 0x10FFFF)
        return 0;
    return length;
}

bool isControl(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool isBidiControl(uint32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

} // namespace

std::string makeDisplayText(const char* text, size_t length) {
    std::string shown;
    if (text == nullptr)
        return shown;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t at = 0;
    while (at < length) {
        uint32_t codePoint = 0;
        const size_t size = decodeOne(bytes + at, length - at, codePoint);
        if (size == 0)
            break;
        if (isControl(codePoint) || isBidiControl(codePoint))
            shown += DISPLAY_REPLACEMENT;
        else
            shown.append(text + at, size);
        at += size;
    }
    return shown;
}

std::string makeEscapedText(const std::string& text) {
    static const char HEX[] = "0123456789ABCDEF";
    std::string shown;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        const size_t size = decodeOne(bytes + at, text.size() - at, codePoint);
        if (size > 0 && !isControl(codePoint) && !isBidiControl(codePoint)) {
            shown.append(text, at, size);
            at += size;
            continue;
        }
        // Every byte of a character that is not shown, one at a time.
        const size_t count = size > 0 ? size : 1;
        for (size_t i = 0; i < count; ++i, ++at)
            shown += std::string("\\x") + HEX[bytes[at] >> 4] + HEX[bytes[at] & 0x0F];
    }
    return shown;
}

std::string makeDisplayText(const std::string& text) {
    return makeDisplayText(text.data(), text.size());
}

uint32_t nextCharacter(const std::string& text, size_t& at) {
    uint32_t codePoint = 0;
    const size_t size =
        decodeOne(reinterpret_cast<const unsigned char*>(text.data()) + at, text.size() - at, codePoint);
    at += size == 0 ? 1 : size;
    return size == 0 ? REPLACEMENT_CHARACTER : codePoint;
}

std::string cutAtCharacter(const std::string& text, size_t maxBytes) {
    size_t cut = text.size() < maxBytes ? text.size() : maxBytes;
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
        --cut; // back to the start of the character that would be split
    return text.substr(0, cut);
}
