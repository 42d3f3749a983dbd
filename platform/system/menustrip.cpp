#include "platform/system/menustrip.h"

#include "platform/language/translation.h"
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

// The labels are translated where they are measured and drawn, so that the
// strip follows a change of language at once.
menuStrip::menuStrip()
    : m_menus{{marked("&File"),
               {{marked("&Name ..."), COMMAND_NAME},
                {marked("&Watch"), COMMAND_WATCH},
                {marked("&Language"), COMMAND_LANGUAGE},
                {marked("&Join from a phone"), COMMAND_JOIN_PHONE, false},
                {marked("E&xit"), COMMAND_EXIT}},
               5},
              {marked("&Help"), {{marked("&About ..."), COMMAND_ABOUT}}, 1}} {}

int menuStrip::titleWidth(int index) const {
    return menuTextWidth(tr(m_menus[index].title)) + 2 * TITLE_PADDING;
}

int menuStrip::titleLeft(int index) const {
    int left = STRIP_MARGIN;
    for (int i = 0; i < index; ++i)
        left += titleWidth(i);
    return left;
}

int menuStrip::dropDownWidth(int index) const {
    int widest = DROP_DOWN_MIN_WIDTH;
    for (int i = 0; i < m_menus[index].itemCount; ++i)
        widest = std::max(widest, menuTextWidth(tr(m_menus[index].items[i].label)) + 2 * ITEM_PADDING);
    return widest;
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

int menuStrip::openItemAt(int x, int y) const {
    if (m_openMenu < 0)
        return -1;
    const int left = titleLeft(m_openMenu);
    if (x < left || x >= left + dropDownWidth(m_openMenu) || y < MENU_STRIP_HEIGHT)
        return -1;
    const int item = (y - MENU_STRIP_HEIGHT) / MENU_ITEM_HEIGHT;
    return item < m_menus[m_openMenu].itemCount ? item : -1;
}

// A greyed item leaves the menu open, as a click beside the items would not.
uint32_t menuStrip::choose(int item) {
    if (!m_menus[m_openMenu].items[item].enabled)
        return 0;
    const uint32_t command = m_menus[m_openMenu].items[item].command;
    close();
    return command;
}

void menuStrip::enable(uint32_t command, bool enabled) {
    for (menu& each : m_menus)
        for (int i = 0; i < each.itemCount; ++i)
            if (each.items[i].command == command)
                each.items[i].enabled = enabled;
}

void menuStrip::open(int index) {
    m_openMenu = index;
    m_hotItem = 0;
}

uint32_t menuStrip::mouseDown(int x, int y) {
    const int title = titleAt(x, y);
    if (title >= 0) {
        m_openMenu = (title == m_openMenu) ? -1 : title;
        m_hotItem = -1;
        return 0;
    }
    m_hotItem = openItemAt(x, y);
    if (m_hotItem < 0)
        m_openMenu = -1;
    return 0;
}

uint32_t menuStrip::mouseUp(int x, int y) {
    const int item = openItemAt(x, y);
    return item >= 0 ? choose(item) : 0;
}

void menuStrip::mouseMove(int x, int y) {
    if (m_openMenu < 0)
        return;
    const int title = titleAt(x, y);
    if (title >= 0 && title != m_openMenu)
        m_openMenu = title;
    m_hotItem = openItemAt(x, y);
}

bool menuStrip::openByMnemonic(uint32_t letter) {
    for (int i = 0; i < MENU_COUNT; ++i) {
        if (letter != 0 && mnemonicOf(tr(m_menus[i].title)) == letter) {
            open(i);
            return true;
        }
    }
    return false;
}

void menuStrip::openFirst() {
    open(0);
}

void menuStrip::close() {
    m_openMenu = -1;
    m_hotItem = -1;
}

uint32_t menuStrip::keyDown(uint32_t key) {
    if (m_openMenu < 0)
        return 0;
    const menu& opened = m_menus[m_openMenu];
    if (key == VK_ESCAPE || key == VK_F10) {
        close();
    } else if (key == VK_LEFT || key == VK_RIGHT) {
        open((m_openMenu + (key == VK_LEFT ? MENU_COUNT - 1 : 1)) % MENU_COUNT);
    } else if (key == VK_UP || key == VK_DOWN) {
        const int step = key == VK_UP ? opened.itemCount - 1 : 1;
        m_hotItem = (std::max(m_hotItem, 0) + step) % opened.itemCount;
    } else if (key == VK_RETURN) {
        return choose(std::max(m_hotItem, 0));
    } else {
        for (int i = 0; i < opened.itemCount; ++i) {
            if (key == mnemonicOf(tr(opened.items[i].label)))
                return choose(i);
        }
    }
    return 0;
}
