#pragma once

#include "platform/net/netinbox.h"
#include "platform/net/netoutbox.h"
#include "platform/net/netpump.h"
#include "platform/net/netsocket.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct _ENetHost;
struct _ENetEvent;

// What the hosting and the playing end share: the ENet host, the service
// thread that keeps it alive, and the handing of it between that thread and
// the game's thread. The owner posts sends to the outbox and takes what
// arrived from the inbox; neither thread calls into the other.
//
// While the game takes its events every frame or tick it services the
// transport then (pump) and sends its batches itself, and the service thread
// sleeps through the traffic. A game that stops coming (a dragged window, a
// breakpoint) for NET_PUMP_GRACE_MS leaves the socket to the service thread
// again, which keeps the connection and its peers alive until the game is
// back. Whoever holds the transport lock may use the transport; the hooks
// below are called with it held, on either thread.
class netEndpoint {
  public:
    netEndpoint(const netEndpoint&) = delete;
    netEndpoint& operator=(const netEndpoint&) = delete;

    bool initialise(); // false: the outbox or the transport could not be made

    // Sends between these leave together (see netOutbox::holdWakes).
    void holdSends() { m_outbox.holdWakes(); }
    void releaseSends();
    // Services the transport on the calling thread unless the service thread
    // is at it; an owner that does so each time it takes its events lets the
    // service thread sleep (see netPumpWatch).
    void pump();
    // What arrived since the last take, in order.
    void takeEvents(std::vector<netIncoming>& events) { m_inbox.take(events); }
    uint64_t getDroppedCount() const { return m_inbox.getDroppedCount(); } // data over a sender's share
    uint64_t getSentBytes() const { return m_sentBytes; }                  // UDP payload bytes sent so far
    uint64_t getReceivedBytes() const { return m_receivedBytes; }          // the same, received
    uint64_t getSentDatagrams() const { return m_sentDatagrams; }          // UDP datagrams sent so far
    uint64_t getReceivedDatagrams() const { return m_receivedDatagrams; }  // the same, received

  protected:
    netEndpoint() = default;
    // Not virtual: owners hold the derived classes. Each of those stops the
    // service in its own destructor, while the hooks it runs still exist.
    ~netEndpoint();

    bool canStart() const { return m_outbox.isValid(); }
    // Hands host to a new service thread, which destroys it when it ends.
    void startService(_ENetHost* host, const char* threadName);
    // Asks the service thread to stop (after the goodbyes) and waits for it.
    void stopService();
    void joinEndedService(); // a thread that ended by itself, with its connection
    bool post(netOutgoing packet) { return m_outbox.post(std::move(packet)); }
    bool post(netIncoming event) { return m_inbox.post(std::move(event)); }
    void countTraffic(); // moves ENet's byte counts into ours
    // A transport without ENet's counts (a browser's) counts its messages itself.
    void countSent(size_t bytes) {
        m_sentBytes += bytes;
        ++m_sentDatagrams;
    }
    void countReceived(size_t bytes) {
        m_receivedBytes += bytes;
        ++m_receivedDatagrams;
    }

    // Whether the game's thread may service the transport and send now.
    virtual bool isOpen() const = 0;
    virtual void sendPacket(netOutgoing& packet) = 0;
    // One event of the transport; false once the connection has ended.
    virtual bool dispatch(_ENetEvent& event) = 0;
    // After the events of each service: deadlines of the end's own; false
    // once the connection has ended.
    virtual bool supervise() = 0;
    // Until the transport or a deadline next needs the thread.
    virtual int msUntilDue() const = 0;
    // A further socket for the thread to watch (discovery), and its reading.
    virtual netSocketHandle getSideSocket() const { return NET_NO_SOCKET; }
    virtual void serviceSideSocket() {}
    // Before the transport is destroyed: the goodbyes.
    virtual void shutdownTransport() = 0;

    _ENetHost* m_host = nullptr; // the transport; held by the lock while the service runs

  private:
    void run(const char* threadName);
    bool serviceRound(bool sideReadable, std::vector<netOutgoing>& packets); // false: the thread ends
    bool serviceTransport();                                                 // false once ended
    bool sendFromCaller(); // false: the service thread must wake
    void sendPackets(std::vector<netOutgoing>& packets);

    netOutbox m_outbox;
    netInbox m_inbox;
    std::mutex m_transportLock;
    std::vector<netOutgoing> m_callerPackets; // sendFromCaller's, under the lock
    netPumpWatch m_pump;
    bool m_ended = false; // under the lock: the connection is over and the thread ends
    std::atomic<uint64_t> m_sentBytes{0};
    std::atomic<uint64_t> m_receivedBytes{0};
    std::atomic<uint64_t> m_sentDatagrams{0};
    std::atomic<uint64_t> m_receivedDatagrams{0};
    std::thread m_thread;
};
