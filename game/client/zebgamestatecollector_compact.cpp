#include "game/client/zebgamestatecollector.h"

#include "networklib/networkmessage.h"

// The compact stream: each datagram says what changed since the state this
// copy last acknowledged, so a datagram that is lost costs nothing but its
// news, which the host sends again.

void ZEBGameStateCollector::handleCompactState(const networkMessage& message) {
    uint16_t sequence = 0;
    std::vector<CompactEntry> entries;
    if (!isCompact() ||
        !readCompactState(message.getData(), message.getDataSize(), &sequence, &entries, isUplink()))
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
        m_ackUrgent = m_ackUrgent || ahead > 1; // the host learns of the loss at once
        uint32_t earlier = ahead >= COMPACT_ACK_WINDOW ? 0u : m_compactAck.earlier << ahead;
        if (ahead <= COMPACT_ACK_WINDOW)
            earlier |= 1u << (ahead - 1); // the one that was newest until now
        m_compactAck = CompactAck{sequence, earlier};
    }
    m_ackDue = true;
    return true;
}

// Without reports an acknowledgement goes every frame a datagram came; with
// them it rides on a report, or goes alone at once after a loss and else now
// and then.
bool ZEBGameStateCollector::isAckDue() const {
    return m_ackDue && (!isUplink() || m_ackUrgent || m_sinceAck >= COMPACT_ACK_INTERVAL);
}

void ZEBGameStateCollector::sendCompactReport(float changeInTime, messageQueue& messagesToSendOut) {
    m_sinceAck += changeInTime;
    if (m_watching)
        return; // no ship, no input: acknowledgements and chat alone
    const ZEBGameStateElement* ship = ownShipHeld() ? &m_elements[m_ownIndex] : nullptr;
    CompactReport report;
    if (!m_uplink.frame(changeInTime, ship, m_ownTurn, m_ownThrust, m_input.fire, &report))
        return;
    if (m_ackDue) {
        report.hasAck = true;
        report.ack = m_compactAck;
        m_ackDue = false;
        m_ackUrgent = false;
        m_sinceAck = 0.0f;
    }
    messagesToSendOut.push(writeCompactReport(report));
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
    if (entry.kind == compactKind::controls) {
        if (!m_elements[index].isVisible() || index >= m_remoteMotion.getCount())
            return; // the host sends them only for a ship the copy shows
        m_remoteMotion.controls(index, entry.turn, entry.thrust, true);
        const ZEBGameStateElement& guessed = m_remoteMotion.guessed(index);
        m_elements[index].setPosition(guessed.getPosition());
        m_elements[index].setRotation(guessed.getRotation());
        m_elements[index].setVelocity(guessed.getVelocity());
        return;
    }
    const bool wasVisible = m_elements[index].isVisible();
    applyCompactEntry(entry, &m_elements[index]);
    m_remoteMotion.received(index, m_elements[index], wasVisible, entry.turn, entry.thrust, isUplink());
}
