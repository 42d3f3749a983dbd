#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>

// How often a host answers discovery queries. A query is 24 bytes and its
// answer up to 351 with its rank, and a query's source can be forged: a host
// that answered every query would send a victim more than it was sent. A
// searching copy asks a few times per search from a socket of its own, so a
// few answers a second per source address and port lose nothing; several
// copies on one machine share its address, which gets more, but still a
// bounded trickle.
constexpr int NET_DISCOVERY_ANSWERS_PER_SECOND = 4;       // per address and port
constexpr int NET_DISCOVERY_HOST_ANSWERS_PER_SECOND = 32; // per address
// An address's budget alone could be used up by anyone who floods from it (a
// forged source is enough on a LAN), and the address's own searches would
// then go unanswered. So the first query of a source port not heard lately is
// answered past its address's budget: a search comes from a new port that a
// forger cannot know in advance, while the ports a flood keeps using are soon
// known. Those answers are bounded for all sources together, so what the host
// sends stays bounded.
constexpr int NET_DISCOVERY_FIRST_ANSWERS_PER_SECOND = 256;
// A source port heard again after this long counts as new: the system hands
// out its ephemeral ports again in time.
constexpr std::chrono::seconds NET_DISCOVERY_SOURCE_MEMORY{10};
// Sources remembered at once; forged sources cannot make the table grow past
// this. A full table forgets the source heard longest ago: refusing newcomers
// instead would let a flood from more ports than this hide every game.
constexpr size_t NET_DISCOVERY_MAX_SOURCES = 4096;
// Everything a host sends in answers, all sources together.
constexpr size_t NET_DISCOVERY_ANSWER_BYTES_PER_SECOND = 64 * 1024;

class netAnswerLimiter {
  public:
    using clock = std::chrono::steady_clock;

    explicit netAnswerLimiter(int answersPerSecond) : m_answersPerSecond(answersPerSecond) {}

    // True when source may be answered at now, and counts the answer.
    bool allow(uint64_t source, clock::time_point now) { return admit(source, now) > 0; }
    // The same, as the answer's number within the source's second (1 for the
    // first), or 0 when it may not be answered. fresh tells whether the source
    // was new: not heard within NET_DISCOVERY_SOURCE_MEMORY.
    int admit(uint64_t source, clock::time_point now, bool* fresh = nullptr);
    size_t getSourceCount() const { return m_sources.size(); }

  private:
    struct window {
        clock::time_point start;
        clock::time_point lastHeard;
        int answers = 0;
        std::list<uint64_t>::iterator age; // place in m_order
    };

    int m_answersPerSecond;
    std::unordered_map<uint64_t, window> m_sources;
    std::list<uint64_t> m_order; // heard longest ago first
};

// The answers a host gives: each query at most one, each source address and
// port at most NET_DISCOVERY_ANSWERS_PER_SECOND, each address at most
// NET_DISCOVERY_HOST_ANSWERS_PER_SECOND but for the first query of a new port
// (above), within NET_DISCOVERY_FIRST_ANSWERS_PER_SECOND for all, and within
// NET_DISCOVERY_ANSWER_BYTES_PER_SECOND in all.
class netDiscoveryAnswerGate {
  public:
    using clock = netAnswerLimiter::clock;
    bool allow(uint32_t host, uint16_t port, clock::time_point now, size_t bytes);

  private:
    netAnswerLimiter m_endpoints{NET_DISCOVERY_ANSWERS_PER_SECOND};
    netAnswerLimiter m_hosts{NET_DISCOVERY_HOST_ANSWERS_PER_SECOND};
    netAnswerLimiter m_firstAnswers{NET_DISCOVERY_FIRST_ANSWERS_PER_SECOND}; // one source: everyone
    clock::time_point m_bytesSince;
    size_t m_bytes = 0; // sent since m_bytesSince
};
