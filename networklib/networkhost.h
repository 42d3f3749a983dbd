#pragma once

#include "networklib/networkconnection.h"
#include "platform/net/netstats.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class netServer;

// Why the game has the host drop a player; the client learns it.
enum class networkDropReason { gameFull, notJoined };

// The hosting end: hosts a session of the application GUID under the session
// name; a player's data arrives as a message with the sender's id, a player
// joining or leaving (with the reason) as an event. The game learns of players
// only through these.
class networkHost final : public networkConnection {
  public:
    networkHost();
    ~networkHost();

    void initialise() override;
    void startHosting();
    void stopHosting();

    // To the message's destination player, or to all when it names none;
    // reliably when the message is guaranteed, else unreliable and in order.
    void send(const networkMessage& message) override;
    bool isConnected() override; // hosting

    // Disconnects a player once what was sent to it has arrived.
    void dropPlayer(uint32_t playerID, networkDropReason reason);
    // What discovery answers say: the game's limit (before hosting starts)
    // and the players in the game now.
    void setMaxPlayers(uint32_t maxPlayers) { m_applicationDesc.maxPlayers = maxPlayers; }
    void setJoinedPlayers(uint32_t count);
    // What this game's rank tells other hosts: hosted by a dedicated server,
    // or never moving to another game (its operator or its players chose it).
    void setRank(bool dedicated, bool staysPut);

    void setPort(uint16_t port) { m_port = port; } // where to listen first; the default is the game port
    // Listens on port or not at all: a host that players were told the port
    // of must not quietly move to another one.
    void requirePort(uint16_t port) {
        m_port = port;
        m_portRequired = true;
    }
    uint16_t getPort() const; // the port listened on while hosting, else 0
    // Before hosting starts: serve browsers on the TCP port webPort (0: the
    // system picks) from the files of webRoot.
    void serveWeb(uint16_t webPort, const std::string& webRoot);
    uint16_t getWebPort() const; // the web port served while hosting; 0 when not (or it was taken)
    // What browsers open: http://ADDRESS:PORT/ for each LAN IPv4 address of
    // the machine (loopback when it has none); empty when not serving.
    std::vector<std::string> getWebAddresses() const;
    const netGuid& getInstance() const { return m_applicationDesc.instanceGuid; } // new at each start
    uint32_t getPlayerCount() const;
    uint64_t getSentBytes() const;   // UDP payload bytes sent so far
    netServerStats getStats() const; // the transport's counts since hosting began; zero before
    uint64_t getDroppedCount() const override;

  private:
    void holdSends() override;
    void releaseSends() override;
    void pumpTransport() override;
    void takeEvents(std::vector<netIncoming>& events) override;
    void handle(netIncoming& event) override;

    std::unique_ptr<netServer> m_server; // null until hosting starts
    uint16_t m_port;
    bool m_portRequired = false;
    uint8_t m_rankFlags = 0;
    bool m_webWanted = false;
    uint16_t m_webPort = 0;
    std::string m_webRoot;
};
