#pragma once

#include "platform/system/framegate.h"

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

// One pass of that loop at a time, for a caller that owns the waiting: the
// native loop sleeps between passes, a browser runs passes in each of its
// animation frames.
class windowLoop {
  public:
    windowLoop(gameWindow* window, float frameSeconds, const frameUpdateFunction& update,
               const frameRenderFunction& render, long frameLimit);

    // At most one message, then the update (and the drawing of an accepted
    // frame). False once the quit message has come.
    bool pass();
    bool handledMessage() const { return m_handled; }    // the last pass took a message
    uint32_t msUntilDue() const { return m_msUntilDue; } // after a pass: until the next frame is due
    int getExitCode() const { return m_exitCode; }

  private:
    gameWindow* m_window;
    const frameUpdateFunction& m_update;
    const frameRenderFunction& m_render;
    long m_frameLimit;
    frameGate m_gate;
    long m_framesDrawn = 0;
    uint32_t m_last;
    bool m_handled = false;
    uint32_t m_msUntilDue = 0;
    int m_exitCode = 0;
};

// Closes the window as its close box does: the loop then ends with code 0.
void closeWindow(gameWindow* window);
// Ends the loop at its next pass with exitCode, the window left as it is.
void endWindowLoop(int exitCode);
