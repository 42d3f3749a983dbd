#pragma once

#include "platform/net/netaddress.h"

#include <atomic>
#include <mutex>
#include <thread>

class lanBed;

// A player built to the design's messages alone, inside a machine of the
// bed: it announces nothing, so a host tells it nothing beyond the design;
// when its game ends it searches again, as the party's copies do, and joins
// the first game it finds. Runs on a thread of its own until it goes.
class designCopy {
  public:
    designCopy(const lanBed& bed, int machine);
    ~designCopy();
    designCopy(const designCopy&) = delete;
    designCopy& operator=(const designCopy&) = delete;

    int gamesJoined() const { return m_joined; }
    netAddress getHost() const; // of the game it plays in now; zero while it has none

  private:
    void run();

    const lanBed& m_bed;
    int m_machine;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_joined{0};
    mutable std::mutex m_lock;
    netAddress m_host;
    std::thread m_thread;
};
