#include "platform/net/netanswerlimiter.h"

namespace {

constexpr std::chrono::seconds WINDOW{1};

} // namespace

bool netAnswerLimiter::allow(uint64_t source, clock::time_point now) {
    auto found = m_sources.find(source);
    if (found == m_sources.end()) {
        if (m_sources.size() >= NET_DISCOVERY_MAX_SOURCES)
            forgetExpired(now);
        if (m_sources.size() >= NET_DISCOVERY_MAX_SOURCES)
            return false;
        found = m_sources.emplace(source, window{now, 0}).first;
    }
    window& current = found->second;
    if (now - current.start >= WINDOW)
        current = window{now, 0};
    if (current.answers >= m_answersPerSecond)
        return false;
    ++current.answers;
    return true;
}

void netAnswerLimiter::forgetExpired(clock::time_point now) {
    for (auto it = m_sources.begin(); it != m_sources.end();) {
        if (now - it->second.start >= WINDOW)
            it = m_sources.erase(it);
        else
            ++it;
    }
}
