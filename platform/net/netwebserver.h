#pragma once

#include "platform/net/netinbox.h"
#include "platform/net/netsocket.h"
#include "platform/net/netwake.h"
#include "platform/net/netwebconnection.h"
#include "platform/net/netwebhttp.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the web port has counted since it started; every count only grows.
struct netWebStats {
    uint64_t sentBytes = 0; // TCP payload bytes, HTTP included
    uint64_t receivedBytes = 0;
    uint64_t sentMessages = 0; // messages handed to browser players, one per player reached
    uint64_t receivedMessages = 0;
    uint64_t droppedPlayers = 0;  // browsers lost without leaving
    uint64_t droppedMessages = 0; // unreliable messages to a browser that was behind
    uint64_t playersJoined = 0;   // WebSocket players ever given an id
};

// The host's web port: serves the files of a web root over HTTP and takes
// browsers as players over a WebSocket on the same TCP port, on a thread of
// its own. A browser's comings and goings and its messages are posted like an
// ENet peer's, with ids from the host's own counter; the host's sends to a
// player who is not an ENet peer come here.
class netWebServer {
  public:
    struct hooks {
        std::function<uint32_t()> nextPlayerID;
        std::function<void(netIncoming)> post; // into the host's inbox
        uint32_t (*clock)() = nullptr;         // milliseconds; netPeerClock when null
    };

    netWebServer() = default;
    ~netWebServer();
    netWebServer(const netWebServer&) = delete;
    netWebServer& operator=(const netWebServer&) = delete;

    // Listens on port (0: the system picks) and starts serving; false when the
    // port cannot be listened on. root may be missing: the WebSocket still works.
    bool start(uint16_t port, const std::string& root, hooks hooks);
    // Closes every browser (WEB_CLOSE_APPLICATION + host stopped) and stops.
    void stop();

    // Any thread. Player 0: every browser player.
    void send(uint32_t player, const uint8_t* data, size_t size, bool reliable);
    void disconnect(uint32_t player, uint32_t data);

    bool isServing() const { return m_serving; }
    uint16_t getPort() const { return m_port; }
    uint32_t getPlayerCount() const { return m_playerCount; } // browser players now
    netWebStats getStats() const;

  private:
    struct outgoing {
        uint32_t player = 0;
        bool reliable = false;
        bool disconnect = false;
        uint32_t data = 0;
        webBytes frame;
    };

    void run();
    uint32_t now() const;
    int msUntilDue(uint32_t now) const;
    void takeOutbox();
    void deliver(outgoing& message);
    void sendToConnection(webConnection& connection, const webBytes& frame, bool reliable);
    void acceptAll(uint32_t now);
    void makeRoom();
    void service(webConnection& connection, uint32_t now);
    void answerRequests(webConnection& connection, uint32_t now);
    void answerHandshake(webConnection& connection, const webRequest& request, uint32_t now);
    void readFrames(webConnection& connection, uint32_t now);
    void closePlayer(webConnection& connection, uint16_t code, uint32_t now);
    void flush(webConnection& connection, uint32_t now);
    void supervise(uint32_t now);
    void reap();
    void shutdown();

    hooks m_hooks;
    std::string m_root;
    netSocketHandle m_listener = NET_NO_SOCKET;
    uint16_t m_port = 0;
    std::atomic<bool> m_serving{false};
    std::thread m_thread;

    std::mutex m_outboxLock;
    std::vector<outgoing> m_outbox;
    size_t m_outboxBytes = 0;
    bool m_stop = false;
    netWake m_wake;

    // The service thread's own.
    std::vector<std::unique_ptr<webConnection>> m_connections;
    std::vector<outgoing> m_taken;

    std::atomic<uint32_t> m_playerCount{0};
    std::atomic<uint64_t> m_sentBytes{0};
    std::atomic<uint64_t> m_receivedBytes{0};
    std::atomic<uint64_t> m_sentMessages{0};
    std::atomic<uint64_t> m_receivedMessages{0};
    std::atomic<uint64_t> m_droppedPlayers{0};
    std::atomic<uint64_t> m_droppedMessages{0};
    std::atomic<uint64_t> m_playersJoined{0};
};
