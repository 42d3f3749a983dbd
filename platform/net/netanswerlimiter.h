#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

// How often a host answers discovery queries from one source address. A query
// is 24 bytes and its answer up to 306, and a query's source can be forged: a
// host that answered every query would send a victim more than it was sent.
// A searching copy asks once per search, so a few answers a second per address
// lose nothing.
constexpr int NET_DISCOVERY_ANSWERS_PER_SECOND = 4;
// Source addresses remembered at once; forged sources cannot make it grow
// past this. While it is full of addresses heard within the last second, new
// addresses are not answered.
constexpr size_t NET_DISCOVERY_MAX_SOURCES = 1024;

class netAnswerLimiter {
  public:
    using clock = std::chrono::steady_clock;

    // True when source may be answered at now, and counts the answer.
    bool allow(uint32_t source, clock::time_point now);
    size_t getSourceCount() const { return m_sources.size(); }

  private:
    struct window {
        clock::time_point start;
        int answers = 0;
    };
    void forgetExpired(clock::time_point now);

    std::unordered_map<uint32_t, window> m_sources;
};
