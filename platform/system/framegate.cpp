#include "platform/system/framegate.h"

namespace {

float seconds(uint64_t ticks, uint64_t frequency) {
    return static_cast<float>(static_cast<double>(ticks) / static_cast<double>(frequency));
}

// The fewest ticks that the update takes for a whole frame.
uint64_t periodFor(uint64_t frequency, float frameSeconds) {
    uint64_t period = static_cast<uint64_t>(static_cast<double>(frequency) * frameSeconds);
    while (period > 0 && seconds(period - 1, frequency) >= frameSeconds)
        --period;
    while (seconds(period, frequency) < frameSeconds)
        ++period;
    return period;
}

} // namespace

frameGate::frameGate(uint64_t ticksPerSecond, float frameSeconds)
    : m_frequency(ticksPerSecond > 0 ? ticksPerSecond : 1), m_period(periodFor(m_frequency, frameSeconds)) {}

void frameGate::start(uint64_t now) {
    m_frameStart = now;
}

float frameGate::frameTime(uint64_t now) const {
    return now >= m_frameStart ? seconds(now - m_frameStart, m_frequency) : 0.0f;
}

// A loop that fell more than a frame behind (a stalled process) starts afresh
// instead of drawing the missed frames in a burst.
void frameGate::accept(uint64_t now) {
    m_frameStart += m_period;
    if (now >= m_frameStart + m_period)
        m_frameStart = now;
}

uint32_t frameGate::millisecondsUntilDue(uint64_t now) const {
    const uint64_t due = m_frameStart + m_period;
    if (now >= due)
        return 0;
    return static_cast<uint32_t>(((due - now) * 1000 + m_frequency - 1) / m_frequency);
}
