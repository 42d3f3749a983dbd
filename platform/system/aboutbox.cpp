#include "platform/system/aboutbox.h"

#include "platform/system/menustrip.h"
#include "platform/system/virtualkeys.h"

#include <algorithm>

using namespace win;

namespace {

constexpr int BUTTON_WIDTH = 60;
constexpr int BUTTON_HEIGHT = 22;
constexpr int MARGIN = 10;
constexpr int CLOSE_MARK_SIZE = 16;

} // namespace

void aboutBox::open(int windowWidth, int windowHeight) {
    m_x = std::max(0, windowWidth - WIDTH - EDGE_MARGIN);
    m_y = std::max(0, std::min(TOP, windowHeight - HEIGHT));
    m_open = true;
    m_buttonPressed = false;
}

aboutBox::box aboutBox::closeMark() const {
    return {m_x + WIDTH - CLOSE_MARK_SIZE - 2, m_y + (CAPTION_HEIGHT - CLOSE_MARK_SIZE) / 2, CLOSE_MARK_SIZE,
            CLOSE_MARK_SIZE};
}

aboutBox::box aboutBox::okButton() const {
    return {m_x + WIDTH - BUTTON_WIDTH - MARGIN, m_y + HEIGHT - BUTTON_HEIGHT - MARGIN, BUTTON_WIDTH,
            BUTTON_HEIGHT};
}

bool aboutBox::keyDown(uint32_t key) {
    if (m_open && (key == VK_RETURN || key == VK_ESCAPE))
        m_open = false;
    return !m_open;
}

bool aboutBox::mouseDown(int x, int y) {
    if (!m_open)
        return false;
    m_buttonPressed = okButton().contains(x, y);
    // The menu strip is not the game: a click there does nothing.
    if (closeMark().contains(x, y) || (!frame().contains(x, y) && y >= MENU_STRIP_HEIGHT))
        m_open = false;
    return !m_open;
}

// As with a real button, the press and the release must both be on it.
bool aboutBox::mouseUp(int x, int y) {
    if (!m_open)
        return false;
    if (m_buttonPressed && okButton().contains(x, y))
        m_open = false;
    m_buttonPressed = false;
    return !m_open;
}
