#pragma once

#include "platform/net/netanswerlimiter.h"
#include "platform/net/netapplicationdesc.h"
#include "platform/net/netendpoint.h"
#include "platform/net/netevents.h"
#include "platform/net/netsocket.h"
#include "platform/net/netstats.h"
#include "platform/net/netwebserver.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

struct _ENetPeer;

// The hosting end of a session: an ENet host with one peer per player and a
// discovery listener that answers queries for its application, both serviced
// by the endpoint's service thread. Players' comings and goings and their data
// arrive in the inbox.
class netServer final : public netEndpoint {
  public:
    netServer() = default;
    ~netServer();

    // Listens on port, or (with anyPortWhenTaken) on a port the system picks
    // when that one is taken, and answers discovery on discoveryPort. False
    // when it cannot listen.
    bool host(const netApplicationDesc& desc, uint16_t port, uint16_t discoveryPort,
              bool anyPortWhenTaken = true);

    // Before host: also serve browsers on the TCP port webPort (0: the system
    // picks) with the files of webRoot. Hosting goes on without it when the
    // port is taken (getWebPort says 0).
    void serveWeb(uint16_t webPort, const std::string& webRoot) {
        m_webWanted = true;
        m_webPort = webPort;
        m_webRoot = webRoot;
    }
    uint16_t getWebPort() const { return m_web.isServing() ? m_web.getPort() : 0; }

    // Disconnects every player, flushes, then destroys the transport. No events
    // follow; those already posted stay in the inbox.
    void close();

    // Copies the bytes and returns at once. destination 0 means every player.
    void sendTo(uint32_t destination, const uint8_t* data, size_t size, bool reliable);
    // Disconnects a player after what was sent to it so far, with data for the
    // other end (NET_DISCONNECT_*); its departure arrives as a destroy event.
    void disconnectPlayer(uint32_t playerID, uint32_t data);
    // What discovery answers advertise: players in the game now (which only
    // the game knows) and its limit.
    void setJoinedPlayers(uint32_t count) { m_joinedPlayers = count; }
    // What the rank sent after each answer says of this game (DISCOVERY_RANK_*).
    void setRankFlags(uint8_t flags) { m_rankFlags = flags; }

    bool isHosting() const { return m_hosting; }
    uint16_t getPort() const { return m_port; } // the port really listened on
    uint32_t getPlayerCount() const { return m_playerCount + m_web.getPlayerCount(); }
    netServerStats getStats() const; // safe from any thread

  private:
    bool isOpen() const override { return true; }
    void sendPacket(netOutgoing& packet) override;
    bool dispatch(_ENetEvent& event) override;
    bool supervise() override;
    int msUntilDue() const override;
    netSocketHandle getSideSocket() const override { return m_discoveryFd; }
    void serviceSideSocket() override; // answers discovery queries
    void shutdownTransport() override;

    void onConnect(_ENetPeer* peer, uint32_t version);
    void onDisconnect(_ENetPeer* peer, uint32_t data);
    void dropSilentPeer(_ENetPeer* peer);
    void postLeave(uint32_t player, uint32_t reason);
    bool isQueryForThisGame(const uint8_t* data, size_t size) const;

    netApplicationDesc m_desc;
    netSocketHandle m_discoveryFd = NET_NO_SOCKET;
    netDiscoveryAnswerGate m_discoveryAnswers; // service only
    uint16_t m_port = 0;
    std::atomic<bool> m_hosting{false};
    std::atomic<uint32_t> m_playerCount{0};
    std::atomic<uint32_t> m_joinedPlayers{0};
    std::atomic<uint8_t> m_rankFlags{0};
    std::chrono::steady_clock::time_point m_hostedSince; // set before the service starts
    std::atomic<uint64_t> m_sentMessages{0};
    std::atomic<uint64_t> m_receivedMessages{0};
    std::atomic<uint64_t> m_droppedPeers{0};
    std::atomic<uint64_t> m_refusedConnects{0};
    std::atomic<uint32_t> m_nextPlayerID{1}; // never reused, even across sessions of this object
    bool m_webWanted = false;
    uint16_t m_webPort = 0;
    std::string m_webRoot;
    netWebServer m_web;
    // Held like the transport.
    std::unordered_map<uint32_t, _ENetPeer*> m_players;
    std::unordered_set<uint32_t> m_closingPlayers; // disconnected by this end: not counted as dropped
    std::vector<uint32_t> m_peerSince; // per peer slot: transport time first seen or connected; 0 free
};
