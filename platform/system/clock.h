#pragma once

#include <cstdint>

namespace win {
// The 32-bit millisecond clock; wraps at 2^32. Tests may replace it.
uint32_t timeGetTime();
} // namespace win

using ClockSource = uint32_t (*)();
ClockSource setClockSource(ClockSource source); // nullptr restores the real clock; returns the previous

// A monotonic clock finer than a millisecond (nanoseconds), in
// ticks of fineClockFrequency() a second. Tests may replace it together with
// its frequency.
uint64_t fineClockTicks();
uint64_t fineClockFrequency();

struct FineClock {
    uint64_t (*ticks)() = nullptr;
    uint64_t frequency = 0;
};
FineClock setFineClock(FineClock clock); // ticks nullptr restores the real clock; returns the previous
