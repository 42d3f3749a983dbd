#pragma once

#include "platform/net/netaddress.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netevents.h"
#include "platform/net/netguid.h"
#include "platform/net/netoutbox.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;

// The playing end of a session: finds hosts by a discovery query and keeps
// one ENet connection to a chosen host, owned by a service thread that starts
// with each connect. Events reach the handler on that thread.
class netClient {
  public:
    netClient() = default;
    ~netClient();
    netClient(const netClient&) = delete;
    netClient& operator=(const netClient&) = delete;

    bool initialise(void* userContext, netMessageHandler handler); // false: the outbox could not be made

    // Sends the query to every target and, on the calling thread, hands each
    // answer for applicationGuid to the handler until windowMs have passed.
    void enumerateHosts(const netGuid& applicationGuid, const std::vector<uint32_t>& targets,
                        uint16_t discoveryPort, int windowMs);

    // Starts a connection offering version; its outcome arrives as
    // NET_MSGID_CONNECT_COMPLETE (a refused version then ends the session).
    // NET_OK when started; NET_E_INVALID (and no event) when busy or when the
    // transport cannot start.
    int connect(const netAddress& address, uint32_t version = NET_PROTOCOL_VERSION);

    // Leaves the session. From the service thread (inside the handler) it only
    // asks the thread to end; from any other thread it also waits for that.
    void close();

    void send(const uint8_t* data, size_t size, bool reliable); // dropped unless connected
    // Sends between these leave together (see netOutbox::holdWakes).
    void holdSends() { m_outbox.holdWakes(); }
    void releaseSends() { m_outbox.releaseWakes(); }

    bool isConnecting() const { return m_state == CONNECTING; }
    bool isConnected() const { return m_state == CONNECTED; }
    uint64_t getSentBytes() const { return m_sentBytes; }         // UDP payload bytes sent so far
    uint64_t getReceivedBytes() const { return m_receivedBytes; } // UDP payload bytes received so far

  private:
    enum state { IDLE, CONNECTING, CONNECTED, CLOSING };

    void run();
    void sendPackets(std::vector<netOutgoing>& packets);
    bool serviceTransport(); // false once the connection has ended
    bool isHostSilent() const;
    int msUntilDue() const; // until the transport, the connect deadline or the silence limit needs the thread
    bool dispatch(_ENetEvent& event);
    void finishConnect(int result);
    void shutdownTransport();
    void joinFinishedThread();
    void deliver(uint32_t messageId, void* message);

    void* m_context = nullptr;
    netMessageHandler m_handler = nullptr;
    netOutbox m_outbox;
    _ENetHost* m_host = nullptr;
    _ENetPeer* m_peer = nullptr;
    std::chrono::steady_clock::time_point m_deadline;
    uint32_t m_connectedAt = 0; // transport time of the connect
    std::atomic<state> m_state{IDLE};
    std::atomic<uint64_t> m_sentBytes{0};
    std::atomic<uint64_t> m_receivedBytes{0};
    std::thread m_thread;
};
