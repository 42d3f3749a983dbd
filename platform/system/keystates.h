#pragma once

#include <cstdint>

// Which keys of the keyboard are down, by virtual-key code: what the game
// reads of the keyboard each frame, whatever messages brought it there.
constexpr uint32_t KEY_STATE_COUNT = 256;

// A key pressed and released between two frames is down at neither: the
// presses are counted too, for what must take every tap.
class keyStates {
  public:
    bool isDown(uint32_t key) const { return key < KEY_STATE_COUNT && m_down[key]; }
    void set(uint32_t key, bool down) {
        if (key < KEY_STATE_COUNT)
            m_down[key] = down;
    }
    void countPress(uint32_t key) { // a key-down that is not a repeat
        if (key < KEY_STATE_COUNT && m_presses[key] < UINT8_MAX)
            ++m_presses[key];
    }
    int takePresses(uint32_t key) { // since the last take
        if (key >= KEY_STATE_COUNT)
            return 0;
        const int presses = m_presses[key];
        m_presses[key] = 0;
        return presses;
    }
    void clear() { *this = keyStates(); }
    bool operator==(const keyStates&) const = default;

  private:
    bool m_down[KEY_STATE_COUNT] = {};
    uint8_t m_presses[KEY_STATE_COUNT] = {};
};
