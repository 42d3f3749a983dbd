#include "platform/system/aboutbox.h"

#include "platform/system/menustrip.h"
#include "platform/system/virtualkeys.h"

#include <algorithm>

using namespace win;

void aboutBox::open(int windowWidth, int windowHeight) {
    openSized(windowWidth, windowHeight,
              boxWidthFor(WIDTH, {ABOUT_CAPTION, ABOUT_VERSION_LINE, ABOUT_SECOND_LINE}, windowWidth),
              HEIGHT);
}

void aboutBox::openSized(int windowWidth, int windowHeight, int width, int height) {
    m_width = width;
    m_height = height;
    m_x = std::max(0, windowWidth - m_width - EDGE_MARGIN);
    m_y = std::max(0, std::min(TOP, windowHeight - m_height));
    m_open = true;
    m_buttonPressed = false;
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
