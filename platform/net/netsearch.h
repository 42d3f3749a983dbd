#pragma once

#include "platform/net/netevents.h"
#include "platform/net/netguid.h"
#include "platform/net/netsocket.h"

#include <chrono>
#include <cstdint>
#include <vector>

constexpr int NET_SEARCH_DATAGRAMS_PER_POLL = 256;
// A search asks this many times, spread over its window: one lost query, or
// one answer refused while a flood spends the host's budget, does not hide a
// game, and a game that begins during the window is heard.
constexpr int NET_SEARCH_QUERIES = 3;

// One discovery search: the query goes to every target at once, again twice
// within the window, and the answers for the application are taken as they
// come until the window closes. A claim is a search whose datagram says that
// this copy is about to host: hosts answer it as a query, and the copy also
// listens on the discovery port for the claims of others. A frame loop polls
// it without waiting; a caller that may block waits on it. Owned by whoever
// searches; its sockets close with it or with the next start.
class netSearch {
  public:
    netSearch() = default;
    ~netSearch();
    netSearch(const netSearch&) = delete;
    netSearch& operator=(const netSearch&) = delete;

    // False (and no search) when no target is given or no socket can be had.
    bool start(const netGuid& applicationGuid, const std::vector<uint32_t>& targets, uint16_t discoveryPort,
               int windowMs);
    // The same as a claim under claimant. Without the discovery port to
    // listen on, others' claims go unheard but the claim is still sent.
    bool startClaim(const netGuid& applicationGuid, const netGuid& claimant,
                    const std::vector<uint32_t>& targets, uint16_t discoveryPort, int windowMs);
    // Appends the answers that have arrived (and, when asked, the ranks that
    // follow them); false once the window has closed (the sockets are then
    // closed) or when no search runs.
    bool poll(std::vector<netHostAnswer>& answers, std::vector<netHostRank>* ranks = nullptr);
    // Waits until an answer may be pending, a query is due or the window closes.
    void wait() const;
    bool isRunning() const { return m_socket != NET_NO_SOCKET; }
    // Other copies' claims heard during this claim, each once.
    const std::vector<netGuid>& getRivalClaims() const { return m_rivals; }

  private:
    bool open(const netGuid& applicationGuid, const std::vector<uint32_t>& targets, uint16_t discoveryPort,
              int windowMs, std::vector<uint8_t> datagram);
    void sendDue();
    void readAnswers(std::vector<netHostAnswer>& answers, std::vector<netHostRank>* ranks);
    void readClaims();
    void finish();
    int msLeft() const;

    netSocketHandle m_socket = NET_NO_SOCKET;
    netSocketHandle m_claimListener = NET_NO_SOCKET; // claims only
    netGuid m_applicationGuid{};
    netGuid m_claimant{};
    std::vector<uint32_t> m_targets;
    uint16_t m_discoveryPort = 0;
    std::vector<uint8_t> m_datagram; // the query or the claim
    int m_sent = 0;                  // times sent so far
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<netGuid> m_rivals;
};
