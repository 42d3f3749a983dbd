#pragma once

#include <cstdint>

// Puts events on the window system's queue as a user's input would arrive, so
// tests drive the real translation into messages.
void pushKeyEvent(uint32_t virtualKey, bool down, bool withAlt, bool repeat);
void pushMouseButtonEvent(int x, int y, bool down);
void pushMouseMoveEvent(int x, int y);
void pushCloseEvent();                // the close box
void pushTextEvent(const char* utf8); // characters typed, at most 31 bytes of them

// A virtual game controller, as a pad plugged in would appear. Returns its
// device index, or -1; the state set reaches the pad at the next event poll.
int attachVirtualGamepad();
void detachVirtualGamepad(int deviceIndex);
enum class virtualPadInput { leftStickX, rightTrigger, buttonA, buttonB, dpadLeft, dpadRight, dpadUp };
// Buttons 0 or 1, the stick -32768 to 32767, the trigger 0 (at rest) to 32767.
void setVirtualGamepad(int deviceIndex, virtualPadInput input, int16_t value);
