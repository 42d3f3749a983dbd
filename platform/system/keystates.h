#pragma once

#include <cstdint>

// Which keys of the keyboard are down, by virtual-key code: what the game
// reads of the keyboard each frame, whatever messages brought it there.
constexpr uint32_t KEY_STATE_COUNT = 256;

class keyStates {
  public:
    bool isDown(uint32_t key) const { return key < KEY_STATE_COUNT && m_down[key]; }
    void set(uint32_t key, bool down) {
        if (key < KEY_STATE_COUNT)
            m_down[key] = down;
    }
    void clear() { *this = keyStates(); }
    bool operator==(const keyStates&) const = default;

  private:
    bool m_down[KEY_STATE_COUNT] = {};
};
