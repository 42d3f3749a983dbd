#pragma once

#include <cstdint>

// When the next frame is due, read from a clock finer than a millisecond. A
// millisecond clock can only measure 22 or 23 ms, and accepting at 23 gives
// about 43 frames a second; here each frame is due one frame period after the
// previous one was due, so the frames keep 45 a second on average whatever
// the loop's own delays.
class frameGate {
  public:
    // frameSeconds: the shortest time a frame takes.
    frameGate(uint64_t ticksPerSecond, float frameSeconds);

    void start(uint64_t now);
    // Seconds since the current frame became the next one, for the update's
    // test against the frame's time.
    float frameTime(uint64_t now) const;
    void accept(uint64_t now); // the frame was taken
    // Rounded up, so that a wait never ends just short of the frame and spins
    // through the rest: a frame is at most a millisecond late, and the next one
    // is still due one period after this one was.
    uint32_t millisecondsUntilDue(uint64_t now) const;

    uint64_t getPeriod() const { return m_period; } // ticks

  private:
    uint64_t m_frequency;
    uint64_t m_period;
    uint64_t m_frameStart = 0;
};
