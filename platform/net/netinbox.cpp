#include "platform/net/netinbox.h"

bool netInbox::post(netIncoming event) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (event.kind == netEventKind::received && !admit(event.player, event.bytes.size())) {
        ++m_dropped;
        return false;
    }
    m_pending.push_back(std::move(event));
    return true;
}

void netInbox::take(std::vector<netIncoming>& events) {
    events.clear();
    std::lock_guard<std::mutex> guard(m_lock);
    events.swap(m_pending);
    m_backlogs.clear();
    m_pendingBytes = 0;
}

bool netInbox::admit(uint32_t sender, size_t size) {
    const auto bytes = static_cast<int64_t>(size);
    backlog& queued = m_backlogs[sender];
    if (queued.messages >= NET_INBOX_MAX_MESSAGES_PER_SENDER ||
        queued.bytes + bytes > NET_INBOX_MAX_BYTES_PER_SENDER || m_pendingBytes + bytes > NET_INBOX_MAX_BYTES)
        return false;
    ++queued.messages;
    queued.bytes += bytes;
    m_pendingBytes += bytes;
    return true;
}
