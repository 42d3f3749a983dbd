#pragma once

#include "game/dedicated/agonesschedule.h"

#include <atomic>
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
// from threads of its own, so a slow or absent sidecar never holds up the
// game's tick. Two lanes, each a thread with its own connections: Health (and
// at the end Shutdown) in one, never behind the other calls, which go in
// order in the other. A call the sidecar does not answer is tried again with
// a bounded back-off. What waits stays small however long the sidecar is
// away: one Health, one players label, and for player tracking only the
// latest count of places, reached in as few calls as it takes.
class ZEBAgonesLink {
  public:
    using reportFunction = std::function<void(const std::string& line)>; // one line, from the link's threads

    // report hears, once per outage, that the sidecar cannot be reached, and
    // any call it refuses.
    ZEBAgonesLink(uint16_t sidecarPort, reportFunction report);
    ~ZEBAgonesLink(); // abandons what is still waiting
    ZEBAgonesLink(const ZEBAgonesLink&) = delete;
    ZEBAgonesLink& operator=(const ZEBAgonesLink&) = delete;

    void post(const ZEBAgonesRequest& request); // never waits for the network

    // Sends Shutdown first, ahead of every call still waiting, and gives it at
    // most timeoutMs; true when it went out. What still waits is abandoned:
    // the server is going away. The link takes no more calls after it.
    bool finish(int timeoutMs);

  private:
    struct lane {
        std::deque<ZEBAgonesRequest> queue;
        bool sending = false;
        std::thread thread;
    };

    void run(lane& which);
    bool deliver(const ZEBAgonesRequest& request); // false: no answer worth keeping, try again
    bool deliverPlayerTracking(const ZEBAgonesRequest& request);
    void wantPlaces(uint32_t places);
    bool nextPlaceCall(ZEBAgonesRequest& request); // under the lock: the next step towards the places wanted
    static bool isWaiting(const lane& which, agonesCall call);
    void stop();

    uint16_t m_port;
    reportFunction m_report;
    std::mutex m_lock;
    std::condition_variable m_changed;
    lane m_urgent; // Health, and Shutdown at the end
    lane m_calls;  // everything else, in order
    uint32_t m_placesWanted = 0;
    uint32_t m_placesTold = 0; // places the sidecar holds as connected players
    bool m_stopping = false;
    std::atomic<bool> m_unreachable{false}; // said already, until the sidecar answers again
    bool m_playerTrackingOff = false;       // the sidecar refused a player-tracking call (calls lane only)
};
