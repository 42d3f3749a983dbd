#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

// How often a host answers discovery queries. A query is 24 bytes and its
// answer up to 306, and a query's source can be forged: a host that answered
// every query would send a victim more than it was sent. A searching copy asks
// once per search from a socket of its own, so a few answers a second per
// source address and port lose nothing; several copies on one machine share
// its address, which gets more, but still a bounded trickle.
constexpr int NET_DISCOVERY_ANSWERS_PER_SECOND = 4;       // per address and port
constexpr int NET_DISCOVERY_HOST_ANSWERS_PER_SECOND = 32; // per address
// Source addresses remembered at once; forged sources cannot make it grow
// past this. While it is full of addresses heard within the last second, new
// addresses are not answered.
constexpr size_t NET_DISCOVERY_MAX_SOURCES = 1024;

class netAnswerLimiter {
  public:
    using clock = std::chrono::steady_clock;

    explicit netAnswerLimiter(int answersPerSecond) : m_answersPerSecond(answersPerSecond) {}

    // True when source may be answered at now, and counts the answer.
    bool allow(uint64_t source, clock::time_point now);
    size_t getSourceCount() const { return m_sources.size(); }

  private:
    struct window {
        clock::time_point start;
        int answers = 0;
    };
    void forgetExpired(clock::time_point now);

    int m_answersPerSecond;
    std::unordered_map<uint64_t, window> m_sources;
};
