#pragma once

#include "networklib/networkclient.h"
#include "networklib/networktypes.h"

#include <cstdint>
#include <vector>

// Sessions this copy could not join, or that dropped it, passed over by its
// searches for a while. A copy that answers every search with an inviting
// game and then drops whoever comes would otherwise be chosen again at every
// search, first by newcomers and again by the players of a host that left.
// A session is known by its instance and, since a liar can answer with a new
// instance each time, by its host's address too.
constexpr uint32_t FAILED_SESSION_MS = 60000;  // long enough to outlast a party's search and rejoin
constexpr size_t FAILED_SESSIONS_KEPT = 32;    // the oldest goes first
constexpr int JOIN_TRIES_PER_SEARCH_ROUND = 4; // sessions tried before a copy hosts its own

class failedSessions {
  public:
    // Times are the millisecond clock's; it may wrap. A zero instance or
    // host matches nothing.
    void remember(const netGuid& instance, const netAddress& host, uint32_t now);
    bool isRemembered(const networkClient::session& listed, uint32_t now) const;
    // The first listed session not remembered, or nullptr.
    const networkClient::session* choose(const std::vector<networkClient::session>& listed,
                                         uint32_t now) const;

  private:
    struct entry {
        netGuid instance;
        netAddress host;
        uint32_t since = 0;
    };
    std::vector<entry> m_entries; // oldest first
};
