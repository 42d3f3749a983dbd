#pragma once

#include "platform/language/translation.h"

#include "platform/system/boxframe.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr const char* NAME_CAPTION = marked("Name");
constexpr const char* NAME_PROMPT = marked("Your name (used from the next game you join):");

// The box that edits the player's name: one line of text, drawn inside the
// window over the game like the About box, and modal for input as that one
// is. Typed text (UTF-8) is added up to a limit in bytes, Backspace takes off
// the last character. Enter or "OK" hands the text to the game, which closes
// the box or refuses the text with a reason shown under it; Escape or the
// close mark leave without a change. A click beside the box does nothing, so
// what was typed is not lost. Positions are in window pixels.
class nameBox {
  public:
    enum class outcome { none, accepted };
    static constexpr int WIDTH = 340; // at least: a longer translation widens it
    static constexpr int HEIGHT = 130;
    static constexpr int TOP = 40; // as the About box: away from the start points

    void open(int windowWidth, int windowHeight, const std::string& text, size_t maxBytes);
    void place(int windowWidth, int windowHeight); // after the window's size changed
    void close() { m_open = false; }
    bool isOpen() const { return m_open; }

    // Input while open.
    outcome keyDown(uint32_t key);
    void textInput(const std::string& typed);
    void mouseDown(int x, int y);
    outcome mouseUp(int x, int y);
    void refuse(const std::string& reason) { m_reason = reason; }

    const std::string& getText() const { return m_text; }
    const std::string& getReason() const { return m_reason; }
    boxRect frame() const { return {m_x, m_y, m_width, HEIGHT}; }
    boxRect field() const;
    boxRect closeMark() const { return boxCloseMark(frame()); }
    boxRect okButton() const { return boxOkButton(frame()); }
    bool isButtonPressed() const { return m_buttonPressed; }

  private:
    bool m_open = false;
    bool m_buttonPressed = false;
    int m_x = 0;
    int m_width = WIDTH;
    int m_y = 0;
    size_t m_maxBytes = 0;
    std::string m_text;
    std::string m_reason;
};

// Draws the box with an SDL renderer (given as void*) when it is open.
void paintNameBox(const nameBox& box, void* nativeRenderer);
