#pragma once

#include <cstdint>
#include <memory>

class x11Calls;

// Whether SDL's event pump is worth a call. On X11 every pump reads the
// display's socket, however quiet it is; so while the socket has nothing to
// read, Xlib holds no event and no game controller is open, the pump waits,
// though never longer than PUMP_AT_LEAST_EVERY (SDL's timed chores: focus,
// the screen saver, controllers plugged in). Other window systems are always
// pumped.
struct pumpFacts {
    bool watched = false; // the display's socket is watched: X11
    bool controllersOpen = false;
    bool pumpedBefore = false;
    uint32_t sinceLastPump = 0; // milliseconds
    bool newsWaiting = false;   // Xlib holds events or the socket has bytes
};

class displayEvents {
  public:
    static constexpr uint32_t PUMP_AT_LEAST_EVERY = 250; // milliseconds

    displayEvents();
    ~displayEvents();
    displayEvents(const displayEvents&) = delete;
    displayEvents& operator=(const displayEvents&) = delete;

    void attach(void* nativeWindow); // the SDL window whose display is watched; null: none
    bool worthPumping(uint32_t nowMilliseconds, bool controllersOpen);
    static bool isPumpDue(const pumpFacts& facts);

  private:
    bool hasNews() const;

    std::unique_ptr<x11Calls> m_x11;
    void* m_display = nullptr; // Xlib's Display, when the window is on X11
    int m_socket = -1;
    uint32_t m_lastPump = 0;
    bool m_pumped = false;
};
