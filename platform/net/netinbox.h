#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

// What a service thread hands to its owner: players coming and going, data
// received, a connect's outcome and the end of a session. The mirror of the
// outbox: the service thread posts under a lock and never calls into its
// owner; the owner takes everything that arrived when it is ready.
enum class netEventKind : uint8_t {
    playerJoined, // server: player, detail = its IPv4 address (host order)
    playerLeft,   // server: player, detail = NET_REASON_*
    received,     // both: player = the sender, bytes
    connected,    // client: detail = NET_OK or a NET_E_ code
    sessionEnded, // client: detail = NET_REASON_*
};

struct netIncoming {
    netEventKind kind = netEventKind::received;
    uint32_t player = 0;
    int32_t detail = 0;
    std::vector<uint8_t> bytes;
    bool viaBrowser = false; // playerJoined: the player came over the web port
};

// What one sender can make the inbox hold between two takes of its owner. A
// player sends two small messages a frame and a host about twenty; these leave
// seconds of room for a stalled owner, and past them a flooding peer's
// packets are dropped instead of growing the inbox for good. The transport's
// own events (players joining and leaving, the end of a session) are never
// dropped.
constexpr int NET_INBOX_MAX_MESSAGES_PER_SENDER = 4096;
constexpr int64_t NET_INBOX_MAX_BYTES_PER_SENDER = 4 * 1024 * 1024; // four of the largest packets
// All senders together, for peers that come and go faster than the owner takes.
constexpr int64_t NET_INBOX_MAX_BYTES = 16 * NET_INBOX_MAX_BYTES_PER_SENDER;

class netInbox {
  public:
    // Service thread. Received data over its sender's share is dropped and
    // counted (false); every other event is kept.
    bool post(netIncoming event);
    // Owner: takes everything posted so far, in order, and frees the shares.
    void take(std::vector<netIncoming>& events);
    uint64_t getDroppedCount() const { return m_dropped; }

  private:
    struct backlog {
        int messages = 0;
        int64_t bytes = 0;
    };
    bool admit(uint32_t sender, size_t size); // the caller holds the lock

    std::mutex m_lock;
    std::vector<netIncoming> m_pending;
    std::unordered_map<uint32_t, backlog> m_backlogs; // of m_pending's received data, by sender
    int64_t m_pendingBytes = 0;                       // of m_pending's received data
    std::atomic<uint64_t> m_dropped{0};
};
