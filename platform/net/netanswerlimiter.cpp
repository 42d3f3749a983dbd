#include "platform/net/netanswerlimiter.h"

namespace {

constexpr std::chrono::seconds WINDOW{1};

} // namespace

int netAnswerLimiter::admit(uint64_t source, clock::time_point now) {
    auto found = m_sources.find(source);
    if (found == m_sources.end()) {
        if (m_sources.size() >= NET_DISCOVERY_MAX_SOURCES)
            forgetExpired(now);
        if (m_sources.size() >= NET_DISCOVERY_MAX_SOURCES)
            return 0;
        found = m_sources.emplace(source, window{now, 0}).first;
    }
    window& current = found->second;
    if (now - current.start >= WINDOW)
        current = window{now, 0};
    if (current.answers >= m_answersPerSecond)
        return 0;
    return ++current.answers;
}

void netAnswerLimiter::forgetExpired(clock::time_point now) {
    for (auto it = m_sources.begin(); it != m_sources.end();) {
        if (now - it->second.start >= WINDOW)
            it = m_sources.erase(it);
        else
            ++it;
    }
}

bool netDiscoveryAnswerGate::allow(uint32_t host, uint16_t port, clock::time_point now) {
    const int answer = m_endpoints.admit((static_cast<uint64_t>(host) << 16) | port, now);
    if (answer == 0)
        return false;
    return m_hosts.allow(host, now) || (answer == 1 && m_firstAnswers.allow(0, now));
}
