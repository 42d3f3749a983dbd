#include "platform/net/netoutbox.h"

#include "platform/net/netprotocol.h"

#include <algorithm>

bool needsServiceThread(const std::vector<netOutgoing>& packets) {
    return std::any_of(packets.begin(), packets.end(),
                       [](const netOutgoing& packet) { return packet.reliable || packet.disconnect; });
}

void netOutbox::wake() {
    m_wake.signal();
}

bool netOutbox::post(netOutgoing packet) {
    bool wakeNow = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        // A disconnect is never dropped: it is how a refused peer learns why.
        const bool full = m_pending.size() >= NET_OUTBOX_MAX_PACKETS ||
                          m_pendingBytes + packet.bytes.size() > NET_OUTBOX_MAX_BYTES;
        if (full && !packet.disconnect)
            return false;
        m_pendingBytes += packet.bytes.size();
        m_pending.push_back(std::move(packet));
        wakeNow = m_held == 0;
        m_wakeOwed = m_wakeOwed || !wakeNow;
    }
    if (wakeNow)
        wake();
    return true;
}

void netOutbox::holdWakes() {
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_held;
}

void netOutbox::releaseWakes() {
    if (releaseQuietly())
        wake();
}

bool netOutbox::releaseQuietly() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_held > 0)
        --m_held;
    const bool owed = m_held == 0 && m_wakeOwed;
    if (owed)
        m_wakeOwed = false;
    return owed;
}

void netOutbox::requestStop() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stop = true;
    }
    wake();
}

void netOutbox::reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_pending.clear();
    m_pendingBytes = 0;
    m_stop = false;
}

void netOutbox::take(std::vector<netOutgoing>& packets) {
    m_wake.clear();
    packets.clear();
    std::lock_guard<std::mutex> guard(m_lock);
    packets.swap(m_pending);
    m_pendingBytes = 0;
}

bool netOutbox::isStopRequested() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_stop;
}
