#pragma once

#include "platform/net/netevents.h"
#include "platform/net/netguid.h"
#include "platform/net/netsocket.h"

#include <chrono>
#include <cstdint>
#include <vector>

constexpr int NET_SEARCH_DATAGRAMS_PER_POLL = 256;

// One discovery search: the query goes to every target at once, and the
// answers for the application are taken as they come until the search's
// window closes. A frame loop polls it without waiting; a caller that may
// block waits on it. Owned by whoever searches; its socket closes with it or
// with the next start.
class netSearch {
  public:
    netSearch() = default;
    ~netSearch();
    netSearch(const netSearch&) = delete;
    netSearch& operator=(const netSearch&) = delete;

    // False (and no search) when no target is given or no socket can be had.
    bool start(const netGuid& applicationGuid, const std::vector<uint32_t>& targets, uint16_t discoveryPort,
               int windowMs);
    // Appends the answers that have arrived; false once the window has closed
    // (the socket is then closed) or when no search runs.
    bool poll(std::vector<netHostAnswer>& answers);
    // Waits until an answer may be pending or the window closes.
    void wait() const;
    bool isRunning() const { return m_socket != NET_NO_SOCKET; }

  private:
    void finish();
    int msLeft() const;

    netSocketHandle m_socket = NET_NO_SOCKET;
    netGuid m_applicationGuid{};
    std::chrono::steady_clock::time_point m_deadline;
};
