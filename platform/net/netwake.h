#pragma once

#include "platform/net/netsocket.h"

#include <atomic>
#include <cstdint>

// A wake-up that a service thread waits for beside its sockets, signalled from
// any thread: an eventfd, or where there is none a loopback UDP socket that
// sends itself a byte. Signals while one is pending merge into it.
//
// Clearing reads the socket only when a signal may be waiting: the owner
// clears once a frame, and most frames nothing was signalled. Each signal is
// counted before it is written and each read counts the signals it took, so
// a signal whose write is still on its way is read by a later clear, and a
// readable socket is never left unread (which would make its waiter spin).
class netWake {
  public:
    netWake();
    ~netWake();
    netWake(const netWake&) = delete;
    netWake& operator=(const netWake&) = delete;

    bool isValid() const { return m_socket != NET_NO_SOCKET; }
    netSocketHandle socket() const { return m_socket; }
    void signal();
    void clear(); // the socket is no longer readable until the next signal

  private:
    void writeSignal();
    uint64_t readSignals(); // the signals taken by one read; 0 when there were none

    netSocketHandle m_socket = NET_NO_SOCKET;
    uint16_t m_port = 0;                  // the loopback port it sends itself to, where it does
    std::atomic<uint64_t> m_signalled{0}; // signals counted, possibly not yet written
    std::atomic<uint64_t> m_taken{0};     // signals read back
};
