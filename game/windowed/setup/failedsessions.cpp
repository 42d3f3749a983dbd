#include "game/windowed/setup/failedsessions.h"

namespace {

bool isZero(const netGuid& guid) {
    return guid == netGuid{};
}

} // namespace

void failedSessions::remember(const netGuid& instance, const netAddress& host, uint32_t now) {
    if (m_entries.size() >= FAILED_SESSIONS_KEPT)
        m_entries.erase(m_entries.begin());
    m_entries.push_back(entry{instance, host, now});
}

bool failedSessions::isRemembered(const networkClient::session& listed, uint32_t now) const {
    for (const entry& failed : m_entries) {
        if (now - failed.since >= FAILED_SESSION_MS)
            continue;
        const bool sameInstance =
            !isZero(failed.instance) && failed.instance == listed.applicationDesc.instanceGuid;
        const bool sameHost = failed.host.host != 0 && failed.host == listed.hostAddress;
        if (sameInstance || sameHost)
            return true;
    }
    return false;
}

const networkClient::session* failedSessions::choose(const std::vector<networkClient::session>& listed,
                                                     uint32_t now) const {
    for (const networkClient::session& candidate : listed)
        if (!isRemembered(candidate, now))
            return &candidate;
    return nullptr;
}
