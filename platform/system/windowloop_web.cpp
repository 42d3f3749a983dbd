#include "platform/system/windowloop.h"

#include <emscripten/emscripten.h>

// In a browser the page's animation frames drive the loop: the browser must
// get its thread back between frames to show them and to deliver input and
// network traffic. Each frame takes the messages that came since the last
// one, each with a pass of the loop as the native loop does, until a pass
// finds none.

namespace {

// A flood of messages still leaves the frame to the browser after this many.
constexpr int MAX_PASSES_PER_FRAME = 64;

void animationFrame(void* state) {
    auto* loop = static_cast<windowLoop*>(state);
    for (int pass = 0; pass < MAX_PASSES_PER_FRAME; ++pass) {
        if (!loop->pass()) {
            emscripten_cancel_main_loop();
            EM_ASM(
                {
                    if (Module['zebStopped'])
                        Module['zebStopped']($0);
                },
                loop->getExitCode());
            return;
        }
        if (!loop->handledMessage())
            return;
    }
}

} // namespace

// Never returns: the caller's frame, with the loop and what it refers to,
// stays as it is while the browser calls the frames.
int runWindowLoop(gameWindow* window, float frameSeconds, const frameUpdateFunction& update,
                  const frameRenderFunction& render, long frameLimit, messageWaitFunction) {
    windowLoop loop(window, frameSeconds, update, render, frameLimit);
    emscripten_set_main_loop_arg(animationFrame, &loop, 0, 1);
    return loop.getExitCode();
}
