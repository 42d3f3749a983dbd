#include "core/timer.h"

#include <atomic>
#include <chrono>

namespace {

uint32_t steadyMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::atomic<millisecondClock> g_clock{&steadyMilliseconds};

uint32_t readClock() {
    return g_clock.load(std::memory_order_acquire)();
}

// Unsigned subtraction wraps modulo 2^32, so an interval across the clock's wrap stays right.
double secondsBetween(uint32_t from, uint32_t to) {
    return static_cast<double>(to - from) / 1000.0;
}

} // namespace

millisecondClock setTimerClock(millisecondClock clock) {
    return g_clock.exchange(clock != nullptr ? clock : &steadyMilliseconds, std::memory_order_acq_rel);
}

timer::timer() : m_start(0), m_stop(0), m_elapsed(0.0) {}

timer::~timer() {}

void timer::start() {
    m_start = readClock();
}

double timer::stop() {
    m_stop = readClock();
    m_elapsed = secondsBetween(m_start, m_stop);
    return m_elapsed;
}

double timer::getElapsed() const {
    return m_elapsed;
}

double timer::getElapsedNow() const {
    return secondsBetween(m_start, readClock());
}
