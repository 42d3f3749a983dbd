#include "game/dedicated/agonesschedule.h"

std::vector<ZEBAgonesRequest> ZEBAgonesSchedule::tick(double now, uint32_t players) {
    std::vector<ZEBAgonesRequest> due;
    const bool first = !m_started;
    if (first) {
        m_started = true;
        due.push_back({agonesCall::ready, 0});
        due.push_back({agonesCall::playerCapacity, m_capacity});
    }
    if (now >= m_nextHealth) {
        due.push_back({agonesCall::health, 0});
        m_nextHealth = now + AGONES_HEALTH_PERIOD_SECONDS;
    }
    if (first || players != m_players) {
        due.push_back({agonesCall::playersLabel, players});
        if (players == 0)
            m_emptySince = now;
    }
    countPlayers(players, due);
    m_hadPlayers = m_hadPlayers || players > 0;
    m_over = m_over ||
             (m_emptyShutdown > 0.0 && m_hadPlayers && players == 0 && now - m_emptySince >= m_emptyShutdown);
    return due;
}

// The highest places go first and come back first, so the places held are
// always 1 to the count.
void ZEBAgonesSchedule::countPlayers(uint32_t players, std::vector<ZEBAgonesRequest>& due) {
    for (; m_players < players; ++m_players)
        due.push_back({agonesCall::playerConnect, m_players + 1});
    for (; m_players > players; --m_players)
        due.push_back({agonesCall::playerDisconnect, m_players});
}
