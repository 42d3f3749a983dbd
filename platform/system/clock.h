#pragma once

#include <cstdint>

// The 32-bit millisecond clock; wraps at 2^32. Tests may replace it.
uint32_t timeGetTime();

using ClockSource = uint32_t (*)();
ClockSource setClockSource(ClockSource source); // nullptr restores the real clock; returns the previous
