#pragma once

#include <atomic>
#include <cstdint>

// When the owner of a connection services the transport itself each time it
// takes its events, its service thread can leave the socket alone and sleep
// through the traffic. This remembers when the owner last did so; an owner
// that has not for NET_PUMP_GRACE_MS has stalled, and the service thread
// watches the socket again. Times are the transport's (netPeerClock).
class netPumpWatch {
  public:
    void reset() { m_last = 0; }
    void pumped(uint32_t now) { m_last = now == 0 ? 1 : now; }
    bool isRecent(uint32_t now) const;
    int msUntilStale(uint32_t now) const; // 0 when not recent
  private:
    std::atomic<uint32_t> m_last{0}; // 0: never
};
