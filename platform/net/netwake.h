#pragma once

#include "platform/net/netsocket.h"

#include <cstdint>

// A wake-up that a service thread waits for beside its sockets, signalled from
// any thread: an eventfd, or where there is none a loopback UDP socket that
// sends itself a byte. Signals while one is pending merge into it.
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
    netSocketHandle m_socket = NET_NO_SOCKET;
    uint16_t m_port = 0; // the loopback port it sends itself to, where it does
};
