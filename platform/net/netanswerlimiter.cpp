#include "platform/net/netanswerlimiter.h"

namespace {

constexpr std::chrono::seconds WINDOW{1};

} // namespace

int netAnswerLimiter::admit(uint64_t source, clock::time_point now, bool* fresh) {
    auto found = m_sources.find(source);
    const bool isNew =
        found == m_sources.end() || now - found->second.lastHeard >= NET_DISCOVERY_SOURCE_MEMORY;
    if (found == m_sources.end()) {
        if (m_sources.size() >= NET_DISCOVERY_MAX_SOURCES) {
            m_sources.erase(m_order.front());
            m_order.pop_front();
        }
        m_order.push_back(source);
        found = m_sources.emplace(source, window{now, now, 0, std::prev(m_order.end())}).first;
    } else {
        m_order.splice(m_order.end(), m_order, found->second.age);
    }
    if (fresh != nullptr)
        *fresh = isNew;
    window& current = found->second;
    current.lastHeard = now;
    if (now - current.start >= WINDOW) {
        current.start = now;
        current.answers = 0;
    }
    if (current.answers >= m_answersPerSecond)
        return 0;
    return ++current.answers;
}

bool netDiscoveryAnswerGate::allow(uint32_t host, uint16_t port, clock::time_point now, size_t bytes) {
    bool fresh = false;
    if (m_endpoints.admit((static_cast<uint64_t>(host) << 16) | port, now, &fresh) == 0)
        return false;
    if (!m_hosts.allow(host, now) && !(fresh && m_firstAnswers.allow(0, now)))
        return false;
    if (now - m_bytesSince >= WINDOW) {
        m_bytesSince = now;
        m_bytes = 0;
    }
    if (m_bytes + bytes > NET_DISCOVERY_ANSWER_BYTES_PER_SECOND)
        return false;
    m_bytes += bytes;
    return true;
}
