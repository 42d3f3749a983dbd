#include "platform/system/namebox.h"

#include "platform/system/virtualkeys.h"

#include <algorithm>

using namespace win;

namespace {

constexpr int EDGE_MARGIN = 10;
constexpr int FIELD_LEFT = 14;
constexpr int FIELD_TOP = 46;
constexpr int FIELD_HEIGHT = 18;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

} // namespace

void nameBox::open(int windowWidth, int windowHeight, const std::string& text, size_t maxBytes) {
    m_maxBytes = maxBytes;
    m_text.clear();
    textInput(text);
    m_reason.clear();
    m_buttonPressed = false;
    m_open = true;
    place(windowWidth, windowHeight);
}

void nameBox::place(int windowWidth, int windowHeight) {
    m_width = boxWidthFor(WIDTH, {NAME_CAPTION, NAME_PROMPT}, windowWidth);
    m_x = std::max(0, windowWidth - m_width - EDGE_MARGIN);
    m_y = std::max(0, std::min(TOP, windowHeight - HEIGHT));
}

boxRect nameBox::field() const {
    return {m_x + FIELD_LEFT, m_y + FIELD_TOP, m_width - 2 * FIELD_LEFT, FIELD_HEIGHT};
}

// What does not fit is left off whole characters at a time, as a field that
// is full takes no more.
void nameBox::textInput(const std::string& typed) {
    size_t room = m_maxBytes > m_text.size() ? m_maxBytes - m_text.size() : 0;
    if (room < typed.size()) {
        while (room > 0 && isContinuationByte(typed[room]))
            --room;
    }
    m_text += typed.substr(0, std::min(room, typed.size()));
}

nameBox::outcome nameBox::keyDown(uint32_t key) {
    if (!m_open)
        return outcome::none;
    if (key == VK_ESCAPE) {
        m_open = false;
    } else if (key == VK_RETURN) {
        return outcome::accepted;
    } else if (key == VK_BACK && !m_text.empty()) {
        size_t last = m_text.size() - 1;
        while (last > 0 && isContinuationByte(m_text[last]))
            --last;
        m_text.erase(last);
    }
    return outcome::none;
}

void nameBox::mouseDown(int x, int y) {
    if (!m_open)
        return;
    m_buttonPressed = okButton().contains(x, y);
    if (closeMark().contains(x, y))
        m_open = false;
}

// As with a real button, the press and the release must both be on it.
nameBox::outcome nameBox::mouseUp(int x, int y) {
    const bool clicked = m_open && m_buttonPressed && okButton().contains(x, y);
    m_buttonPressed = false;
    return clicked ? outcome::accepted : outcome::none;
}
