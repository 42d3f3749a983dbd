#include "game/shell/agonesschedule.h"

std::vector<ZEBAgonesRequest> ZEBAgonesSchedule::tick(double now, uint32_t players) {
    std::vector<ZEBAgonesRequest> due;
    if (!m_started) {
        m_started = true;
        due.push_back({agonesCall::ready, 0});
        due.push_back({agonesCall::playersLabel, players});
        m_players = players;
        m_emptySince = now;
    }
    if (now >= m_nextHealth) {
        due.push_back({agonesCall::health, 0});
        m_nextHealth = now + AGONES_HEALTH_PERIOD_SECONDS;
    }
    if (players != m_players) {
        due.push_back({agonesCall::playersLabel, players});
        if (players == 0)
            m_emptySince = now;
        m_players = players;
    }
    m_hadPlayers = m_hadPlayers || players > 0;
    m_over = m_over ||
             (m_emptyShutdown > 0.0 && m_hadPlayers && players == 0 && now - m_emptySince >= m_emptyShutdown);
    return due;
}
