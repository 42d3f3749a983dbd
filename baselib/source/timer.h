#pragma once

#include <cstdint>

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
