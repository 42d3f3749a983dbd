#include "platform/system/clock.h"

#include <SDL.h>

#include <atomic>
#include <mutex>

namespace {

// SDL starts its tick counter on first use, so the clock works before SDL_Init.
uint32_t sdlClock() {
    return SDL_GetTicks();
}

uint64_t sdlCounter() {
    return SDL_GetPerformanceCounter();
}

std::atomic<ClockSource> g_clockSource{&sdlClock};

std::mutex g_fineLock;
FineClock g_fineClock;

FineClock currentFineClock() {
    const std::lock_guard<std::mutex> lock(g_fineLock);
    if (g_fineClock.ticks == nullptr || g_fineClock.frequency == 0)
        return {&sdlCounter, SDL_GetPerformanceFrequency()};
    return g_fineClock;
}

} // namespace

uint32_t timeGetTime() {
    return g_clockSource.load(std::memory_order_acquire)();
}

ClockSource setClockSource(ClockSource source) {
    ClockSource previous =
        g_clockSource.exchange(source != nullptr ? source : &sdlClock, std::memory_order_acq_rel);
    return previous;
}

uint64_t fineClockTicks() {
    return currentFineClock().ticks();
}

uint64_t fineClockFrequency() {
    return currentFineClock().frequency;
}

FineClock setFineClock(FineClock clock) {
    const std::lock_guard<std::mutex> lock(g_fineLock);
    const FineClock previous = g_fineClock;
    g_fineClock = clock;
    return previous;
}
