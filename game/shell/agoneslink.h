#pragma once

#include "game/shell/agonesschedule.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

constexpr uint16_t AGONES_DEFAULT_SDK_PORT = 9358; // the sidecar's REST port unless AGONES_SDK_HTTP_PORT says
constexpr int AGONES_CALL_TIMEOUT_MS = 1000;       // on loopback an answer takes far less
constexpr int AGONES_FIRST_RETRY_MS = 100;         // the sidecar may start after the game:
constexpr int AGONES_LONGEST_RETRY_MS = 2000;      // retries back off, doubling, to this at most

// Hands the schedule's calls to the sidecar's REST interface (127.0.0.1:port)
// in order, from a thread of its own, so a slow or absent sidecar never holds
// up the game's tick. A call the sidecar does not answer is tried again with
// a bounded back-off; the queue keeps at most one Health and one players
// label waiting, so it stays small however long the sidecar is away.
class ZEBAgonesLink {
  public:
    using reportFunction = std::function<void(const std::string& line)>; // one line, from the link's thread

    // report hears, once per outage, that the sidecar cannot be reached, and
    // any call it refuses.
    ZEBAgonesLink(uint16_t sidecarPort, reportFunction report);
    ~ZEBAgonesLink(); // abandons what is still waiting
    ZEBAgonesLink(const ZEBAgonesLink&) = delete;
    ZEBAgonesLink& operator=(const ZEBAgonesLink&) = delete;

    void post(const ZEBAgonesRequest& request); // never waits for the network

    // Queues Shutdown behind what waits and gives the thread at most
    // timeoutMs to deliver it all; true when everything went out. The link
    // takes no more calls after it.
    bool finish(int timeoutMs);

  private:
    void run();
    bool deliver(const ZEBAgonesRequest& request); // false: no answer worth keeping, try again
    bool deliverPlayerTracking(const ZEBAgonesRequest& request);
    bool isWaiting(agonesCall call) const;
    bool isDrained() const { return m_queue.empty() && !m_sending; }
    void stop();

    uint16_t m_port;
    reportFunction m_report;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<ZEBAgonesRequest> m_queue;
    bool m_sending = false;
    bool m_stopping = false;
    bool m_unreachable = false;       // said already, until the sidecar answers again
    bool m_playerTrackingOff = false; // the sidecar refused a player-tracking call
    std::thread m_thread;
};
