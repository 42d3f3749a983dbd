#include "platform/system/textentry.h"

#include "platform/system/virtualkeys.h"

#include <SDL.h>

#include <cctype>
#include <cstring>

using namespace win;

void textEntry::open(uint32_t heldKey) {
    m_text.clear();
    m_heldKey = heldKey;
    m_state = textEntryState::editing;
    SDL_StartTextInput();
}

bool textEntry::keyDown(uint32_t virtualKey) {
    if (!isOpen())
        return false;
    if (virtualKey == VK_RETURN) {
        m_state = textEntryState::entered;
    } else if (virtualKey == VK_ESCAPE) {
        m_state = textEntryState::cancelled;
    } else if (virtualKey == VK_BACK) {
        while (!m_text.empty() && (static_cast<unsigned char>(m_text.back()) & 0xC0u) == 0x80u)
            m_text.pop_back(); // the continuation bytes of the last character
        if (!m_text.empty())
            m_text.pop_back();
    }
    return true;
}

void textEntry::keyUp(uint32_t virtualKey) {
    if (virtualKey == m_heldKey)
        m_heldKey = 0;
}

void textEntry::type(const char* utf8) {
    if (!isOpen() || utf8 == nullptr)
        return;
    // Letter keys' codes are their upper-case ASCII letters.
    const bool openingPress =
        m_heldKey != 0 && utf8[0] != '\0' && utf8[1] == '\0' &&
        static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(utf8[0]))) == m_heldKey;
    if (openingPress)
        return;
    const size_t length = std::strlen(utf8);
    if (m_text.size() + length <= TEXT_ENTRY_MAX_BYTES)
        m_text.append(utf8, length);
}
