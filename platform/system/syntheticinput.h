#pragma once

#include <cstdint>

// Puts events on the window system's queue as a user's input would arrive, so
// tests drive the real translation into messages.
void pushKeyEvent(uint32_t virtualKey, bool down, bool withAlt, bool repeat);
void pushMouseButtonEvent(int x, int y, bool down);
void pushMouseMoveEvent(int x, int y);
void pushCloseEvent(); // the close box
