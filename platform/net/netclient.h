#pragma once

#include "platform/net/netaddress.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netendpoint.h"
#include "platform/net/netevents.h"
#include "platform/net/netguid.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

struct _ENetPeer;

// The playing end of a session: finds hosts by a discovery query and keeps
// one ENet connection to a chosen host, whose service starts with each
// connect. The connect's outcome, the host's data and the end of the session
// arrive in the inbox, which outlives each connection.
class netClient final : public netEndpoint {
  public:
    netClient() = default;
    ~netClient();

    // Sends the query to every target (NET_SEARCH_QUERIES times) and returns,
    // in order of arrival, the answers for applicationGuid that come within
    // windowMs: a host answers each query it hears.
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

    bool isConnecting() const { return m_state == CONNECTING; }
    bool isConnected() const { return m_state == CONNECTED; }

  private:
    enum state { IDLE, CONNECTING, CONNECTED, CLOSING };

    bool isOpen() const override { return m_state == CONNECTED; }
    void sendPacket(netOutgoing& packet) override;
    bool dispatch(_ENetEvent& event) override;
    bool supervise() override;
    int msUntilDue() const override;
    void shutdownTransport() override;

    bool isHostSilent() const;
    // The browser's transport (netclient_web.cpp) calls these from its callbacks.
    friend struct netClientWebEvents;
    void receive(const uint8_t* data, uint32_t size, bool isText);
    void onClosed(unsigned short code);
    void finishConnect(int result);
    void postEnd(uint32_t reason);

    [[maybe_unused]] _ENetPeer* m_peer = nullptr; // held like the transport (not in a browser)
    int m_webSocket = 0;                          // a browser's transport instead of ENet (0: none)
    // The connect's deadline; in a browser, once connected, the end of the
    // host's allowed silence.
    std::chrono::steady_clock::time_point m_deadline;
    [[maybe_unused]] uint32_t m_connectedAt = 0; // transport time of the connect (not in a browser)
    std::atomic<state> m_state{IDLE};
};
