#pragma once

#include "platform/net/netaddress.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netevents.h"
#include "platform/net/netguid.h"
#include "platform/net/netinbox.h"
#include "platform/net/netoutbox.h"
#include "platform/net/netpump.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;

// The playing end of a session: finds hosts by a discovery query and keeps
// one ENet connection to a chosen host, owned by a service thread that starts
// with each connect. The owner hands sends to the thread through the outbox
// and takes the connect's outcome, the host's data and the end of the session
// from the inbox, which outlives each connection.
class netClient {
  public:
    netClient() = default;
    ~netClient();
    netClient(const netClient&) = delete;
    netClient& operator=(const netClient&) = delete;

    bool initialise(); // false: the outbox or the transport could not be made

    // Sends the query to every target and returns, in order of arrival, the
    // answers for applicationGuid that come within windowMs.
    std::vector<netHostAnswer> enumerateHosts(const netGuid& applicationGuid,
                                              const std::vector<uint32_t>& targets, uint16_t discoveryPort,
                                              int windowMs);

    // Starts a connection offering version; its outcome arrives as a
    // connected event (a refused version then ends the session). False (and
    // no event) when busy or when the transport cannot start.
    bool connect(const netAddress& address, uint32_t version = NET_PROTOCOL_VERSION);

    // Leaves the session and waits for the service thread to end.
    void close();

    void send(const uint8_t* data, size_t size, bool reliable); // dropped unless connected
    // Sends between these leave together (see netOutbox::holdWakes).
    void holdSends() { m_outbox.holdWakes(); }
    void releaseSends();

    bool isConnecting() const { return m_state == CONNECTING; }
    bool isConnected() const { return m_state == CONNECTED; }
    // What arrived since the last take, in order.
    // Services the transport on the calling thread when the service thread
    // sleeps. An owner that does so each time it takes its events lets the
    // service thread sleep through the traffic (see netPumpWatch).
    void pump();
    // What arrived since the last take, in order.
    void takeEvents(std::vector<netIncoming>& events) { m_inbox.take(events); }
    uint64_t getDroppedCount() const { return m_inbox.getDroppedCount(); } // data over the host's share
    uint64_t getSentBytes() const { return m_sentBytes; }                  // UDP payload bytes sent so far
    uint64_t getReceivedBytes() const { return m_receivedBytes; } // UDP payload bytes received so far

  private:
    enum state { IDLE, CONNECTING, CONNECTED, CLOSING };

    void run();
    bool serviceRound(std::vector<netOutgoing>& packets); // false once the connection has ended
    bool sendFromCaller();                                // false: the service thread must wake
    void sendPackets(std::vector<netOutgoing>& packets);
    bool serviceTransport(); // false once the connection has ended
    bool isHostSilent() const;
    int msUntilDue() const; // until the transport, the connect deadline or the silence limit needs the thread
    bool dispatch(_ENetEvent& event);
    void finishConnect(int result);
    void shutdownTransport();
    void joinFinishedThread();
    void postEnd(uint32_t reason);

    netOutbox m_outbox;
    netInbox m_inbox;
    // Held by the service thread except while it sleeps; whoever holds it may
    // use the transport (m_host, m_peer).
    std::mutex m_transportLock;
    std::vector<netOutgoing> m_callerPackets; // sendFromCaller's, under m_transportLock
    netPumpWatch m_pump;
    _ENetHost* m_host = nullptr;
    _ENetPeer* m_peer = nullptr;
    std::chrono::steady_clock::time_point m_deadline;
    uint32_t m_connectedAt = 0; // transport time of the connect
    std::atomic<state> m_state{IDLE};
    std::atomic<uint64_t> m_sentBytes{0};
    std::atomic<uint64_t> m_receivedBytes{0};
    std::thread m_thread;
};
