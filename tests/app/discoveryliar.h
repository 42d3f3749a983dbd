#pragma once

#include <atomic>
#include <thread>

// A copy that answers every search with an empty game and drops whoever
// comes to it. It hosts on a thread of its own, in the network of the thread
// that makes it, on the discovery port that process searches on.
class discoveryLiar {
  public:
    // posesAsServer: its answers rank it as a dedicated server, above any game in a window.
    explicit discoveryLiar(bool posesAsServer = false);
    ~discoveryLiar();
    discoveryLiar(const discoveryLiar&) = delete;
    discoveryLiar& operator=(const discoveryLiar&) = delete;

    bool isReady() const { return m_ready; } // hosting, and so answering searches
    int caught() const { return m_caught; }  // connections it dropped

  private:
    void run();

    bool m_posesAsServer;
    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_caught{0};
    std::thread m_thread;
};
