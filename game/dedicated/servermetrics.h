#pragma once

#include "game/dedicated/servercounters.h"

#include <cstddef>
#include <memory>

class ZEBHostedGame;
class httpTextServer;
struct gameOptions;

// The dedicated server's counters served over HTTP (with --metrics). Made
// when the server starts hosting and dies with it; without --metrics it
// serves nothing and records nothing.
class ZEBServerMetrics {
  public:
    ZEBServerMetrics();
    ~ZEBServerMetrics();
    ZEBServerMetrics(const ZEBServerMetrics&) = delete;
    ZEBServerMetrics& operator=(const ZEBServerMetrics&) = delete;

    // True when serving (or not asked to); false after saying why on standard error.
    bool start(const gameOptions& options);
    // After every tick of the hosted game.
    void recordTick(const ZEBHostedGame& hosted, double tickSeconds, size_t refusedJoins);

  private:
    ZEBServerCounters m_counters;
    ZEBTickStatistics m_tickStatistics;
    uint64_t m_refusedJoins = 0;
    // Last, so that it stops answering before the counters it reads go.
    std::unique_ptr<httpTextServer> m_server; // null: not serving
};
