#include "platform/system/clock.h"

#include <SDL.h>

#include <atomic>

namespace {

// SDL starts its tick counter on first use, so the clock works before SDL_Init.
uint32_t sdlClock() {
    return SDL_GetTicks();
}

std::atomic<ClockSource> g_clockSource{&sdlClock};

} // namespace

uint32_t timeGetTime() {
    return g_clockSource.load(std::memory_order_acquire)();
}

ClockSource setClockSource(ClockSource source) {
    ClockSource previous =
        g_clockSource.exchange(source != nullptr ? source : &sdlClock, std::memory_order_acq_rel);
    return previous;
}
