#include "platform/system/windowloop.h"

#include "platform/system/clock.h"
#include "platform/system/framegate.h"
#include "platform/system/window.h"

using namespace win;

int runWindowLoop(gameWindow* window, float frameSeconds, const frameUpdateFunction& update,
                  const frameRenderFunction& render, long frameLimit, messageWaitFunction wait) {
    if (wait == nullptr)
        wait = waitMessage;
    frameGate gate(fineClockFrequency(), frameSeconds);
    long framesDrawn = 0;
    windowMessage msg;
    uint32_t last = timeGetTime();
    gate.start(fineClockTicks());
    while (msg.message != WM_QUIT) {
        const bool handled = peekMessage(msg);
        if (handled && msg.message != WM_QUIT)
            dispatchMessage(msg);
        // A closed window is not drawn again: its last picture stays the last one kept.
        if (isWindowDestroyed(window)) {
            if (!handled)
                wait(1);
            continue;
        }
        const uint32_t now = timeGetTime();
        const uint64_t fineNow = fineClockTicks();
        const uint64_t elapsed = static_cast<uint32_t>(now - last); // the clock wraps at 2^32
        const float changeInTime = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
        const bool accepted = update(changeInTime, gate.frameTime(fineNow));
        if (accepted) {
            last = now;
            gate.accept(fineNow);
            render();
            if (++framesDrawn == frameLimit) // quit as the menu's Exit does
                closeWindow(window);
        }
        // Nothing to do until the next frame: a pass that only found the frame
        // not yet due would cost a look at the window system's events.
        if (!handled)
            wait(gate.millisecondsUntilDue(accepted ? fineClockTicks() : fineNow));
    }
    return static_cast<int>(msg.wParam);
}

void closeWindow(gameWindow* window) {
    postMessage(window, WM_CLOSE, 0, 0);
}

void endWindowLoop(int exitCode) {
    postQuitMessage(exitCode);
}
