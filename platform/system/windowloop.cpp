#include "platform/system/windowloop.h"

#include "platform/system/clock.h"
#include "platform/system/window.h"

using namespace win;

windowLoop::windowLoop(gameWindow* window, float frameSeconds, const frameUpdateFunction& update,
                       const frameRenderFunction& render, long frameLimit)
    : m_window(window), m_update(update), m_render(render), m_frameLimit(frameLimit),
      m_gate(fineClockFrequency(), frameSeconds), m_last(timeGetTime()) {
    m_gate.start(fineClockTicks());
}

bool windowLoop::pass() {
    windowMessage msg;
    m_handled = peekMessage(msg);
    const bool quit = m_handled && msg.message == WM_QUIT;
    if (quit)
        m_exitCode = static_cast<int>(msg.wParam);
    else if (m_handled)
        dispatchMessage(msg);
    // A closed window is not drawn again: its last picture stays the last one kept.
    if (isWindowDestroyed(m_window)) {
        m_msUntilDue = 1;
        return !quit;
    }
    const uint32_t now = timeGetTime();
    const uint64_t fineNow = fineClockTicks();
    const uint64_t elapsed = static_cast<uint32_t>(now - m_last); // the clock wraps at 2^32
    const float changeInTime = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
    const bool accepted = m_update(changeInTime, m_gate.frameTime(fineNow));
    if (accepted) {
        m_last = now;
        m_gate.accept(fineNow);
        m_render();
        if (++m_framesDrawn == m_frameLimit) // quit as the menu's Exit does
            closeWindow(m_window);
    }
    m_msUntilDue = m_gate.millisecondsUntilDue(accepted ? fineClockTicks() : fineNow);
    return !quit;
}

void closeWindow(gameWindow* window) {
    postMessage(window, WM_CLOSE, 0, 0);
}

void endWindowLoop(int exitCode) {
    postQuitMessage(exitCode);
}
