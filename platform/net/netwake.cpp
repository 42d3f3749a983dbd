#include "platform/net/netwake.h"

void netWake::signal() {
    m_signalled.fetch_add(1);
    writeSignal();
}

// Taken is read before signalled: taken never passes the signals written,
// nor those the signalled count, so equal counts mean nothing is waiting.
void netWake::clear() {
    const uint64_t taken = m_taken.load();
    if (m_signalled.load() == taken)
        return;
    m_taken.fetch_add(readSignals());
}
