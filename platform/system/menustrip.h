#pragma once

#include <cstdint>

constexpr int MENU_STRIP_HEIGHT = 20;
constexpr uint32_t COMMAND_ABOUT = 104;
constexpr uint32_t COMMAND_EXIT = 105;
constexpr uint32_t COMMAND_NAME = 106;        // the player asks to change the name
constexpr uint32_t COMMAND_NAME_CHOSEN = 107; // the name box's text is offered to the game
constexpr uint32_t COMMAND_WATCH = 108;       // the player asks to watch, or to play again
constexpr uint32_t COMMAND_LANGUAGE = 109;    // the player asks for the next language
constexpr uint32_t COMMAND_JOIN_PHONE = 110;  // the player asks for the browsers' address as a QR code

// The window's menus. With the mouse: a press on a title opens its menu,
// releasing (or pressing) on an item chooses it, a press elsewhere closes it.
// With the keys: Alt and a title's underlined letter, or F10 for the first,
// open a menu; while one is open, Left and Right move between the menus, Up
// and Down between its items, Enter or an item's underlined letter chooses it
// and Escape closes it.
class menuStrip {
  public:
    struct item {
        const char* label; // the English key of the text shown; '&' marks the underlined letter
        uint32_t command;
        bool enabled = true; // a greyed item cannot be chosen
    };
    static constexpr int MAX_ITEMS = 5;
    struct menu {
        const char* title; // the English key, as label
        item items[MAX_ITEMS];
        int itemCount;
    };
    static constexpr int MENU_COUNT = 2;

    menuStrip();

    // Mouse events in window pixels; each returns the chosen command or 0.
    uint32_t mouseDown(int x, int y);
    uint32_t mouseUp(int x, int y);
    void mouseMove(int x, int y);

    // Keys (virtual-key codes). openByMnemonic takes the letter pressed with
    // Alt and is false when no title has it; keyDown takes a key pressed
    // while a menu is open and returns the chosen command or 0.
    bool openByMnemonic(uint32_t letter);
    void openFirst();
    uint32_t keyDown(uint32_t key);
    void close();
    void enable(uint32_t command, bool enabled);

    int getOpenMenu() const { return m_openMenu; } // -1 when none is open
    int getHotItem() const { return m_hotItem; }   // -1 when none is under the pointer or chosen by keys
    const menu& getMenu(int index) const { return m_menus[index]; }

    // Layout in window pixels.
    int titleLeft(int index) const;
    int titleWidth(int index) const;
    int dropDownWidth(int index) const;
    int titleAt(int x, int y) const;    // -1 when none
    int openItemAt(int x, int y) const; // the open menu's item there, or -1

  private:
    menu m_menus[MENU_COUNT];
    uint32_t choose(int item); // closes the menu and returns the item's command
    void open(int index);      // with its first item hot

    int m_openMenu = -1;
    int m_hotItem = -1;
};

constexpr int MENU_ITEM_HEIGHT = 20;

// Draws the strip and the open menu with an SDL renderer (given as void*).
void paintMenu(const menuStrip& strip, void* nativeRenderer, int windowWidth);
