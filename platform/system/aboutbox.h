#pragma once

#include "platform/language/translation.h"

#include "platform/system/boxframe.h"

#include <cstdint>

constexpr const char* ABOUT_CAPTION = marked("About");
constexpr const char* ABOUT_VERSION_LINE = "ZEB Version 1.0";
constexpr const char* ABOUT_SECOND_LINE = marked("Ships and asteroids for the local network");

// The About box, drawn inside the window over the game, so the loop and the
// game go on while it is open. It is modal: while open it takes every key
// press and mouse press. It closes on "OK", Enter, Escape, its close mark
// and a click on the game beside it; Space, which fires, leaves it open. It
// stands in the top right corner, away from the ships' start points in the
// middle and the score table on the left. Positions are in window pixels of
// the unscaled layout.
class aboutBox {
  public:
    using box = boxRect;
    static constexpr int WIDTH = 300; // at least: a longer translation widens it
    static constexpr int HEIGHT = 96;
    static constexpr int EDGE_MARGIN = 10;
    static constexpr int TOP = 40; // below the menu strip and the first score row (unscaled)

    void open(int windowWidth, int windowHeight); // in the top right corner
    // The same box and handling at another size, for a box of other content.
    void openSized(int windowWidth, int windowHeight, int width, int height);
    void close() { m_open = false; }
    bool isOpen() const { return m_open; }

    // Input while open; each is true when it closed the box.
    bool keyDown(uint32_t key);
    bool mouseDown(int x, int y);
    bool mouseUp(int x, int y);

    box frame() const { return {m_x, m_y, m_width, m_height}; }
    box closeMark() const { return boxCloseMark(frame()); }
    box okButton() const { return boxOkButton(frame()); }
    bool isButtonPressed() const { return m_buttonPressed; }

  private:
    bool m_open = false;
    bool m_buttonPressed = false;
    int m_x = 0;
    int m_width = WIDTH;
    int m_y = 0;
    int m_height = HEIGHT;
};

// Draws the box with an SDL renderer (given as void*) when it is open.
void paintAboutBox(const aboutBox& about, void* nativeRenderer);
