#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A line typed into the window while the game asks for one. Characters come
// as UTF-8; Backspace takes back the last character, Enter ends the line and
// Escape drops it. While the line is open it takes every key press and
// character, so the game's own keys see none of them; releases still reach
// the window's key states.
constexpr size_t TEXT_ENTRY_MAX_BYTES = 256;

enum class textEntryState { closed, editing, entered, cancelled };

class textEntry {
  public:
    // An empty line. heldKey, the letter key that opened it and is still
    // down: the window system may still turn that press into its character,
    // which is not typed into the line until the key is released.
    void open(uint32_t heldKey = 0);
    void close() { *this = textEntry(); }
    bool isOpen() const { return m_state == textEntryState::editing; }
    textEntryState getState() const { return m_state; }
    const std::string& getText() const { return m_text; }

    bool keyDown(uint32_t virtualKey); // true: taken by the open line
    void keyUp(uint32_t virtualKey);
    void type(const char* utf8); // a character that does not fit whole is dropped

  private:
    std::string m_text;
    uint32_t m_heldKey = 0;
    textEntryState m_state = textEntryState::closed;
};

struct gameWindow;
textEntry& getWindowTextEntry(gameWindow* window);
