#pragma once

#include "platform/net/netaddress.h"

#include <atomic>
#include <cstdint>
#include <thread>

// A UDP relay on loopback that stands for a poor link: every datagram, each
// way, is lost with a given chance or delivered after a fixed delay, plus a
// jitter drawn evenly up to a given number of milliseconds (so datagrams may
// overtake each other, as on Wi-Fi). Clients
// send to the relay's port; each client gets its own upstream socket, so the
// target sees one source per client. Seeded, so a run loses the same share.
// Blackholing drops everything, as a killed peer or a cut cable would.
class lossyRelay {
  public:
    lossyRelay(const netAddress& target, int delayMs, int lossPercent, uint32_t seed);
    ~lossyRelay();
    lossyRelay(const lossyRelay&) = delete;
    lossyRelay& operator=(const lossyRelay&) = delete;

    bool isRunning() const { return m_listenFd >= 0; }
    uint16_t getPort() const { return m_port; }
    void setBlackhole(bool blackhole) { m_blackhole = blackhole; }
    void setJitter(int jitterMs) { m_jitterMs = jitterMs; }

  private:
    void run();

    netAddress m_target;
    int m_delayMs;
    int m_lossPercent;
    uint32_t m_seed;
    int m_listenFd = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_blackhole{false};
    std::atomic<int> m_jitterMs{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
