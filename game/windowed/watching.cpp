#include "game/windowed/windowedgame.h"

#include <string_view>

namespace {

// A row whose player is not in the field: gone, or watching.
bool isAway(const char* name) {
    const std::string_view row(name);
    return row.ends_with(DISCONNECTED_SUFFIX) || row.ends_with(WATCHING_SUFFIX);
}

} // namespace

// The game is joined again the other way (set-up's changeWatching).
void ZEBWindowedGame::toggleWatching() {
    if (m_setup.isOffline())
        return; // a recording is watched already
    m_player.watching = !m_player.watching;
    getTextEntry().close();
    m_chat.clear();
    m_setup.changeWatching();
    takeSetupEvents();
}

// In the order the score table shows the players.
void ZEBWindowedGame::followNext() {
    const ZEBClientSession* session = m_setup.getSession();
    if (session == nullptr)
        return;
    const ZEBGameStateCollector& collector = session->getCollector();
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
