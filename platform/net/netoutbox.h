#pragma once

#include "platform/net/netwake.h"

#include <cstdint>
#include <mutex>
#include <vector>

// What the game thread hands to a service thread: packets to send and a stop
// request. Posting costs a lock and a copy and wakes the service thread
// through a wake-up it waits for beside its sockets.
struct netOutgoing {
    uint32_t destination = 0; // 0: every player (the client ignores it)
    bool reliable = false;
    bool disconnect = false;     // instead of bytes: disconnect the destination once sent to
    uint32_t disconnectData = 0; // carried by the disconnect, for the other end
    std::vector<uint8_t> bytes;
};

// True when a batch holds what only the service thread plans for: a reliable
// packet's resends or a disconnect's goodbye.
bool needsServiceThread(const std::vector<netOutgoing>& packets);

class netOutbox {
  public:
    netOutbox() = default;
    netOutbox(const netOutbox&) = delete;
    netOutbox& operator=(const netOutbox&) = delete;

    bool isValid() const { return m_wake.isValid(); }
    netSocketHandle getWakeSocket() const { return m_wake.socket(); }

    bool post(netOutgoing packet); // false: dropped, the outbox is full (never a disconnect)
    // Between these, posts wake the service thread once, at the release: a
    // batch leaves in one round instead of one wake-up per packet.
    void holdWakes();
    void releaseWakes();
    // Ends a hold like releaseWakes, but leaves the wake-up it owes (true) to the caller.
    bool releaseQuietly();
    void wake();
    void requestStop();
    void reset(); // forget packets and the stop request (before a new service thread)

    // Service thread: takes the pending packets (swap) and clears the wake-up.
    void take(std::vector<netOutgoing>& packets);
    bool isStopRequested() const;

  private:
    mutable std::mutex m_lock;
    std::vector<netOutgoing> m_pending;
    size_t m_pendingBytes = 0;
    bool m_stop = false;
    int m_held = 0;          // nested holds
    bool m_wakeOwed = false; // something was posted while held
    netWake m_wake;
};
