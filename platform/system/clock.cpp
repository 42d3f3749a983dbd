#include "platform/system/clock.h"

#include <atomic>
#include <ctime>
#include <mutex>
#ifdef _WIN32
#include <chrono>
#include <windows.h>
#endif

namespace {

// Milliseconds since the machine booted, as the game's clock has always
// counted: it seeds the random source, so two runs must not start at the same
// value (a counter from process start would give every run the same field).
constexpr uint64_t NANOSECONDS_PER_SECOND = 1000000000u;

#ifdef _WIN32
uint32_t bootClock() {
    return static_cast<uint32_t>(GetTickCount64()); // wraps at 2^32
}

uint64_t monotonicNanoseconds() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}
#elif defined(__EMSCRIPTEN__)
uint64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * NANOSECONDS_PER_SECOND + static_cast<uint64_t>(now.tv_nsec);
}

// A page has no boot time (CLOCK_BOOTTIME fails there and would read 0 for
// ever): its clock is the page's monotonic one, started from the wall clock
// so that two pages do not start at the same value.
uint32_t bootClock() {
    static const uint64_t startMs = [] {
        timespec wall{};
        clock_gettime(CLOCK_REALTIME, &wall);
        const uint64_t wallMs =
            static_cast<uint64_t>(wall.tv_sec) * 1000u + static_cast<uint64_t>(wall.tv_nsec) / 1000000u;
        return wallMs - monotonicNanoseconds() / 1000000u;
    }();
    return static_cast<uint32_t>(startMs + monotonicNanoseconds() / 1000000u); // wraps at 2^32
}
#else
uint32_t bootClock() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms); // wraps at 2^32
}

uint64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * NANOSECONDS_PER_SECOND + static_cast<uint64_t>(now.tv_nsec);
}
#endif

std::atomic<ClockSource> g_clockSource{&bootClock};

std::mutex g_fineLock;
FineClock g_fineClock;

FineClock currentFineClock() {
    const std::lock_guard<std::mutex> lock(g_fineLock);
    if (g_fineClock.ticks == nullptr || g_fineClock.frequency == 0)
        return {&monotonicNanoseconds, NANOSECONDS_PER_SECOND};
    return g_fineClock;
}

} // namespace

uint32_t win::timeGetTime() {
    return g_clockSource.load(std::memory_order_acquire)();
}

ClockSource setClockSource(ClockSource source) {
    ClockSource previous =
        g_clockSource.exchange(source != nullptr ? source : &bootClock, std::memory_order_acq_rel);
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
