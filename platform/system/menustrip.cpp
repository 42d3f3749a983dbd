#include "platform/system/menustrip.h"

#include "platform/system/menufont.h"
#include "platform/system/virtualkeys.h"

#include <algorithm>

using namespace win;

namespace {

constexpr int STRIP_MARGIN = 4;
constexpr int TITLE_PADDING = 8;
constexpr int ITEM_PADDING = 20;
constexpr int DROP_DOWN_MIN_WIDTH = 120;

// The upper-case letter after '&' in a label, or 0.
uint32_t mnemonicOf(const char* label) {
    for (const char* c = label; *c != '\0' && c[1] != '\0'; ++c) {
        if (*c == '&') {
            const char letter = c[1];
            return static_cast<uint32_t>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
        }
    }
    return 0;
}

} // namespace

menuStrip::menuStrip()
    : m_menus{{"&File", {"E&xit", COMMAND_EXIT}}, {"&Help", {"&About ...", COMMAND_ABOUT}}} {}

int menuStrip::titleWidth(int index) const {
    return menuTextWidth(m_menus[index].title) + 2 * TITLE_PADDING;
}

int menuStrip::titleLeft(int index) const {
    int left = STRIP_MARGIN;
    for (int i = 0; i < index; ++i)
        left += titleWidth(i);
    return left;
}

int menuStrip::dropDownWidth(int index) const {
    return std::max(DROP_DOWN_MIN_WIDTH, menuTextWidth(m_menus[index].entry.label) + 2 * ITEM_PADDING);
}

int menuStrip::titleAt(int x, int y) const {
    if (y < 0 || y >= MENU_STRIP_HEIGHT)
        return -1;
    for (int i = 0; i < MENU_COUNT; ++i) {
        if (x >= titleLeft(i) && x < titleLeft(i) + titleWidth(i))
            return i;
    }
    return -1;
}

bool menuStrip::inOpenItem(int x, int y) const {
    if (m_openMenu < 0)
        return false;
    const int left = titleLeft(m_openMenu);
    return x >= left && x < left + dropDownWidth(m_openMenu) && y >= MENU_STRIP_HEIGHT &&
           y < MENU_STRIP_HEIGHT + MENU_ITEM_HEIGHT;
}

uint32_t menuStrip::mouseDown(int x, int y) {
    const int title = titleAt(x, y);
    if (title >= 0) {
        m_openMenu = (title == m_openMenu) ? -1 : title;
        m_itemHot = false;
        return 0;
    }
    if (inOpenItem(x, y)) {
        m_itemHot = true;
        return 0;
    }
    m_openMenu = -1;
    m_itemHot = false;
    return 0;
}

uint32_t menuStrip::mouseUp(int x, int y) {
    if (!inOpenItem(x, y))
        return 0;
    const uint32_t command = m_menus[m_openMenu].entry.command;
    m_openMenu = -1;
    m_itemHot = false;
    return command;
}

void menuStrip::mouseMove(int x, int y) {
    if (m_openMenu < 0)
        return;
    const int title = titleAt(x, y);
    if (title >= 0 && title != m_openMenu)
        m_openMenu = title;
    m_itemHot = inOpenItem(x, y);
}

bool menuStrip::openByMnemonic(uint32_t letter) {
    for (int i = 0; i < MENU_COUNT; ++i) {
        if (letter != 0 && mnemonicOf(m_menus[i].title) == letter) {
            m_openMenu = i;
            m_itemHot = true;
            return true;
        }
    }
    return false;
}

void menuStrip::openFirst() {
    m_openMenu = 0;
    m_itemHot = true;
}

void menuStrip::close() {
    m_openMenu = -1;
    m_itemHot = false;
}

uint32_t menuStrip::keyDown(uint32_t key) {
    if (m_openMenu < 0)
        return 0;
    if (key == VK_ESCAPE || key == VK_F10) {
        close();
    } else if (key == VK_LEFT || key == VK_RIGHT) {
        m_openMenu = (m_openMenu + (key == VK_LEFT ? MENU_COUNT - 1 : 1)) % MENU_COUNT;
        m_itemHot = true;
    } else if (key == VK_RETURN || key == mnemonicOf(m_menus[m_openMenu].entry.label)) {
        const uint32_t command = m_menus[m_openMenu].entry.command;
        close();
        return command;
    }
    return 0;
}
