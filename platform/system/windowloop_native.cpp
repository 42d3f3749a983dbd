#include "platform/system/window.h"
#include "platform/system/windowloop.h"

int runWindowLoop(gameWindow* window, float frameSeconds, const frameUpdateFunction& update,
                  const frameRenderFunction& render, long frameLimit, messageWaitFunction wait) {
    if (wait == nullptr)
        wait = waitMessage;
    windowLoop loop(window, frameSeconds, update, render, frameLimit);
    while (loop.pass()) {
        // Nothing to do until the next frame: a pass that only found the frame
        // not yet due would cost a look at the window system's events.
        if (!loop.handledMessage())
            wait(loop.msUntilDue());
    }
    return loop.getExitCode();
}
