#pragma once

#include <cstdint>
#include <functional>

struct gameWindow;

// The window's loop: at most one of the window's messages per pass, then the
// update with the seconds since the last accepted frame and the seconds
// since the next frame became due; a drawing after each accepted one. Once
// the messages are taken it sleeps until the next frame is due, by wait (the
// window system's waitMessage unless given).
// frameLimit > 0 closes the window after that many frames; a closed window
// has no more frames. Returns the exit code the loop was ended with.
using frameUpdateFunction = std::function<bool(float changeInTime, float frameTime)>;
using frameRenderFunction = std::function<void()>;
using messageWaitFunction = void (*)(uint32_t milliseconds);
int runWindowLoop(gameWindow* window, float frameSeconds, const frameUpdateFunction& update,
                  const frameRenderFunction& render, long frameLimit, messageWaitFunction wait = nullptr);

// Closes the window as its close box does: the loop then ends with code 0.
void closeWindow(gameWindow* window);
// Ends the loop at its next pass with exitCode, the window left as it is.
void endWindowLoop(int exitCode);
