#pragma once

#include "platform/net/netanswerlimiter.h"
#include "platform/net/netapplicationdesc.h"
#include "platform/net/netevents.h"
#include "platform/net/netinbox.h"
#include "platform/net/netoutbox.h"
#include "platform/net/netpump.h"
#include "platform/net/netsocket.h"
#include "platform/net/netstats.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;

// The hosting end of a session: an ENet host with one peer per player, a
// discovery listener that answers queries for its application, and a service
// thread that owns both. The owner hands sends to the thread through the
// outbox and takes players' comings and goings and their data from the inbox.
class netServer {
  public:
    netServer() = default;
    ~netServer();
    netServer(const netServer&) = delete;
    netServer& operator=(const netServer&) = delete;

    bool initialise(); // false: the outbox or the transport could not be made

    // Listens on port, or (with anyPortWhenTaken) on a port the system picks
    // when that one is taken, and answers discovery on discoveryPort. False
    // when it cannot listen.
    bool host(const netApplicationDesc& desc, uint16_t port, uint16_t discoveryPort,
              bool anyPortWhenTaken = true);

    // Disconnects every player, flushes, then destroys the transport. No events
    // follow; those already posted stay in the inbox.
    void close();

    // Copies the bytes and returns at once. destination 0 means every player.
    void sendTo(uint32_t destination, const uint8_t* data, size_t size, bool reliable);
    // Sends between these leave together (see netOutbox::holdWakes).
    void holdSends() { m_outbox.holdWakes(); }
    void releaseSends();
    // Disconnects a player after what was sent to it so far, with data for the
    // other end (NET_DISCONNECT_*); its departure arrives as a destroy event.
    void disconnectPlayer(uint32_t playerID, uint32_t data);
    // What discovery answers advertise: players in the game now (which only
    // the game knows) and its limit.
    void setJoinedPlayers(uint32_t count) { m_joinedPlayers = count; }
    // Services the transport on the calling thread when the service thread
    // sleeps. An owner that does so each time it takes its events lets the
    // service thread sleep through the traffic (see netPumpWatch).
    void pump();
    // What arrived since the last take, in order.
    void takeEvents(std::vector<netIncoming>& events) { m_inbox.take(events); }
    uint64_t getDroppedCount() const { return m_inbox.getDroppedCount(); } // data over a sender's share

    bool isHosting() const { return m_hosting; }
    uint16_t getPort() const { return m_port; } // the port really listened on
    uint32_t getPlayerCount() const { return m_playerCount; }
    uint64_t getSentBytes() const { return m_sentBytes; } // UDP payload bytes sent so far
    netServerStats getStats() const;                      // safe from any thread

  private:
    void run();
    bool sendFromCaller(); // false: the service thread must wake
    void sendPackets(std::vector<netOutgoing>& packets);
    void serviceTransport();
    void dispatch(_ENetEvent& event);
    void onConnect(_ENetPeer* peer, uint32_t version);
    void onDisconnect(_ENetPeer* peer, uint32_t data);
    void supervisePeers();
    int msUntilDue() const; // until the transport or a peer's deadline next needs the thread
    void dropSilentPeer(_ENetPeer* peer);
    void answerQueries();
    void shutdownTransport();
    void postLeave(uint32_t player, uint32_t reason);
    void countTraffic(); // moves ENet's byte counts into ours

    netOutbox m_outbox;
    netInbox m_inbox;
    // Held by the service thread except while it sleeps; whoever holds it may
    // use the transport (m_host, the peers, m_players, m_peerSince).
    std::mutex m_transportLock;
    std::vector<netOutgoing> m_callerPackets; // sendFromCaller's, under m_transportLock
    netPumpWatch m_pump;
    netApplicationDesc m_desc;
    _ENetHost* m_host = nullptr;
    netSocketHandle m_discoveryFd = NET_NO_SOCKET;
    netDiscoveryAnswerGate m_discoveryAnswers; // service thread only
    uint16_t m_port = 0;
    std::atomic<bool> m_hosting{false};
    std::atomic<uint32_t> m_playerCount{0};
    std::atomic<uint32_t> m_joinedPlayers{0};
    std::atomic<uint64_t> m_sentBytes{0};
    std::atomic<uint64_t> m_receivedBytes{0};
    std::atomic<uint64_t> m_sentMessages{0};
    std::atomic<uint64_t> m_receivedMessages{0};
    std::atomic<uint64_t> m_droppedPeers{0};
    std::atomic<uint64_t> m_refusedConnects{0};
    uint32_t m_nextPlayerID = 1; // never reused, even across sessions of this object
    std::unordered_map<uint32_t, _ENetPeer*> m_players;
    std::unordered_set<uint32_t> m_closingPlayers; // disconnected by this end: not counted as dropped
    std::vector<uint32_t> m_peerSince; // per peer slot: transport time first seen or connected; 0 free
    std::thread m_thread;
};
