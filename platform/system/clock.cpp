#include "platform/system/clock.h"

#include <atomic>
#include <ctime>

namespace {

// Milliseconds since the machine booted, as the game's clock has always
// counted: it seeds the random source, so two runs must not start at the same
// value (a counter from process start would give every run the same field).
uint32_t bootClock() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms); // wraps at 2^32
}

std::atomic<ClockSource> g_clockSource{&bootClock};

} // namespace

uint32_t timeGetTime() {
    return g_clockSource.load(std::memory_order_acquire)();
}

ClockSource setClockSource(ClockSource source) {
    ClockSource previous =
        g_clockSource.exchange(source != nullptr ? source : &bootClock, std::memory_order_acq_rel);
    return previous;
}
