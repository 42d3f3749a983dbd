#pragma once

#include <cstdint>

// The 32-bit millisecond clock timers read. The program hands in the
// platform's clock; until it does, timers count with the standard library's
// steady clock. nullptr restores that; the previous clock is returned.
using millisecondClock = uint32_t (*)();
millisecondClock setTimerClock(millisecondClock clock);

// A millisecond stopwatch giving seconds; differences are taken modulo 2^32
// so an interval spanning the clock's wrap-around still comes out right.
class timer {
  public:
    timer();
    ~timer();

    void start();
    double stop();
    double getElapsed() const;
    double getElapsedNow() const;

  private:
    uint32_t m_start;
    uint32_t m_stop;
    double m_elapsed;
};
