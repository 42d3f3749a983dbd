#include "timer.h"

#include "platform/system/clock.h"

namespace {

// Unsigned subtraction wraps modulo 2^32, so an interval across the clock's wrap stays right.
double secondsBetween(uint32_t from, uint32_t to) {
    return static_cast<double>(to - from) / 1000.0;
}

} // namespace

timer::timer() : m_start(0), m_stop(0), m_elapsed(0.0) {}

timer::~timer() {}

void timer::start() {
    m_start = timeGetTime();
}

double timer::stop() {
    m_stop = timeGetTime();
    m_elapsed = secondsBetween(m_start, m_stop);
    return m_elapsed;
}

double timer::getElapsed() const {
    return m_elapsed;
}

double timer::getElapsedNow() const {
    return secondsBetween(m_start, timeGetTime());
}
