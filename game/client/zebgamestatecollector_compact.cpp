#include "game/client/zebgamestatecollector.h"

#include "networklib/networkmessage.h"

// The compact stream: each datagram says what changed since the state this
// copy last acknowledged, so a datagram that is lost costs nothing but its
// news, which the host sends again.

void ZEBGameStateCollector::handleCompactState(const networkMessage& message) {
    uint16_t sequence = 0;
    std::vector<CompactEntry> entries;
    if (!isCompact() || !readCompactState(message.getData(), message.getDataSize(), &sequence, &entries))
        return;
    if (!noteCompactSequence(sequence))
        return; // older news than what is held
    for (const CompactEntry& entry : entries)
        applyCompact(entry);
}

bool ZEBGameStateCollector::noteCompactSequence(uint16_t sequence) {
    if (!m_compactRead) {
        m_compactRead = true;
        m_compactAck = CompactAck{sequence, 0};
    } else {
        if (!isNewerSequence(sequence, m_compactAck.newest))
            return false;
        const uint16_t ahead = static_cast<uint16_t>(sequence - m_compactAck.newest);
        uint32_t earlier = ahead >= COMPACT_ACK_WINDOW ? 0u : m_compactAck.earlier << ahead;
        if (ahead <= COMPACT_ACK_WINDOW)
            earlier |= 1u << (ahead - 1); // the one that was newest until now
        m_compactAck = CompactAck{sequence, earlier};
    }
    m_ackDue = true;
    return true;
}

void ZEBGameStateCollector::applyCompact(const CompactEntry& entry) {
    if (entry.kind == compactKind::score) {
        for (PlayerStats& row : m_playerStats) {
            if (row.uniqueID == entry.id)
                row.score = entry.score;
        }
        return;
    }
    const int index = entry.id;
    if (index >= getElementCount())
        return; // the host never names an element it has not announced
    if (entry.kind == compactKind::explode) {
        explode(index, entry.duration, entry.position, entry.rotation);
        return;
    }
    // While the own ship is alive the prediction wins.
    if (index == m_ownIndex && m_elements[index].isVisible())
        return;
    const bool wasVisible = m_elements[index].isVisible();
    applyCompactEntry(entry, &m_elements[index]);
    m_remoteMotion.received(index, m_elements[index], wasVisible, entry.turn, entry.thrust);
}
