#pragma once

#include "networklib/networktypes.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

// The dedicated server's counters for operators, in the Prometheus text format.

constexpr int TICK_RATE_WINDOW_SECONDS = 5;     // ticks per second: the mean over this many whole seconds
constexpr int LONGEST_TICK_WINDOW_SECONDS = 60; // longest tick: over this many seconds

// Ticks counted in one-second buckets on the caller's clock (seconds, only
// growing), so the rates need no clock of their own and tests replay them.
class ZEBTickStatistics {
  public:
    void recordTick(double now, double duration); // duration: seconds the tick's work took
    // The mean over the last whole seconds of the window (fewer while the
    // server is younger); 0 before a whole second has passed.
    double getTicksPerSecond(double now) const;
    double getLongestTick(double now) const; // seconds; 0 without a tick in the window

  private:
    struct bucket {
        int64_t second = -1;
        uint32_t ticks = 0;
        double longest = 0.0;
    };
    static int64_t wholeSecond(double time);

    std::array<bucket, LONGEST_TICK_WINDOW_SECONDS> m_buckets;
    int64_t m_firstSecond = -1;
};

struct ZEBServerCounterValues {
    uint32_t playersConnected = 0;
    uint32_t browserPlayersConnected = 0; // of those, came by the web port
    double ticksPerSecond = 0.0;
    double longestTickSeconds = 0.0;
    netServerStats traffic;
    uint64_t refusedJoins = 0;    // by the game (full, no join request) and by the transport (version)
    uint64_t droppedMessages = 0; // over a sender's share, or ship states the ship could not have reached
};

// The Prometheus text exposition of the values, one family per counter.
std::string formatServerCounters(const ZEBServerCounterValues& values);

// The values handed from the game thread, which publishes them every tick, to
// the thread that answers a scrape.
class ZEBServerCounters {
  public:
    void publish(const ZEBServerCounterValues& values);
    ZEBServerCounterValues read() const;

  private:
    mutable std::mutex m_lock;
    ZEBServerCounterValues m_values;
};
