#include "game/windowed/windowedgame.h"

#include <string_view>

namespace {

// A row whose player is not in the field: gone, or watching.
bool isAway(const char* name) {
    const std::string_view row(name);
    return row.ends_with(DISCONNECTED_SUFFIX) || row.ends_with(WATCHING_SUFFIX);
}

} // namespace

// Leaving and joining again is how the host learns of the change: a player's
// place stays in the table as watching, kept for it under its name, and a
// watcher's name leaves the list. A copy that hosts keeps its game and joins
// it again from its own machine.
void ZEBWindowedGame::toggleWatching() {
    if (m_offline)
        return; // a recording is watched already
    m_watching = !m_watching;
    getTextEntry().close();
    m_chat.clear();
    if (!m_hosted) {
        restartSession();
        return;
    }
    openSession();
    findOwnGame();
}

// In the order the score table shows the players.
void ZEBWindowedGame::followNext() {
    if (!m_session)
        return;
    const ZEBGameStateCollector& collector = m_session->getCollector();
    bool passed = m_followed < 0;
    int next = -1;
    for (const int row : collector.getStatsOrder()) {
        if (next >= 0)
            break;
        const int ship = collector.getStatsID(row);
        if (ship < 0 || ship >= collector.getElementCount() || isAway(collector.getStatsName(row)))
            continue;
        if (passed)
            next = ship;
        passed = passed || ship == m_followed;
    }
    m_followed = next;
}
