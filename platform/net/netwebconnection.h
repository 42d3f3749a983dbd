#pragma once

#include "platform/net/netsocket.h"
#include "platform/net/netwebframe.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

// A browser past this many unsent bytes is behind: unreliable messages to it
// are dropped (the next state catches it up). Past the second it is gone.
constexpr size_t WEB_BEHIND_BYTES = 64 * 1024;
constexpr size_t WEB_LOST_BYTES = 1024 * 1024;
constexpr uint32_t WEB_REQUEST_LIMIT_MS = 5000; // to finish an HTTP request or handshake
// A browser hears from its host at least this often: an empty binary message,
// which the page's code sees (a quiet game may send nothing for seconds, and a
// page never sees pings), and a ping, whose pong the host hears.
constexpr uint32_t WEB_KEEPALIVE_MS = 500;
constexpr size_t WEB_MAX_CONNECTIONS = 64;
constexpr uint32_t WEB_FINISH_LINGER_MS = 1000; // for what is queued and the other end's close

using webBytes = std::shared_ptr<const std::vector<uint8_t>>;

// One TCP connection of the web port: an HTTP exchange, or after the
// handshake a player's WebSocket. It keeps what it has to send as shared
// frames (a message to every browser is framed once).
class webConnection {
  public:
    enum class stage : uint8_t {
        request,   // reading an HTTP request
        player,    // a WebSocket player
        finishing, // sends what is queued, then closes
        closed,
    };

    webConnection(netSocketHandle socket, uint32_t address, uint32_t now, size_t maxMessage);
    ~webConnection();
    webConnection(const webConnection&) = delete;
    webConnection& operator=(const webConnection&) = delete;

    netSocketHandle socket() const { return m_socket; }
    uint32_t address() const { return m_address; }
    stage getStage() const { return m_stage; }
    bool isOpen() const { return m_stage != stage::closed; }

    void queue(webBytes bytes);
    size_t unsentBytes() const { return m_unsent; }
    bool hasUnsent() const { return m_unsent > 0; }
    // Writes what the socket takes now; false when the connection failed.
    // Finishing, it then ends its sending, for the other end to close.
    bool flush(uint64_t& sentBytes);
    // Reads what is waiting into the HTTP buffer or the frame reader; false
    // when the other end closed or failed.
    bool receive(uint64_t& receivedBytes);
    void close();

    void becomePlayer(uint32_t player) {
        m_stage = stage::player;
        m_player = player;
        m_webSocket = true;
    }
    bool isWebSocket() const { return m_webSocket; }
    void finish(uint32_t deadline);
    uint32_t player() const { return m_player; }
    uint32_t takePlayer(); // the player it was, once; 0 after

    std::vector<uint8_t>& requestBytes() { return m_request; }
    webFrameReader& reader() { return m_reader; }

    uint32_t m_since = 0;          // request: when it began; player: when last heard from
    uint32_t m_lastKeepalive = 0;  // player: when a keepalive and a ping last went
    uint32_t m_finishDeadline = 0; // finishing: closed by then, whatever is left

  private:
    netSocketHandle m_socket;
    uint32_t m_address;
    stage m_stage = stage::request;
    uint32_t m_player = 0;
    std::vector<uint8_t> m_request;
    webFrameReader m_reader;
    std::deque<webBytes> m_out;
    size_t m_outOffset = 0; // into m_out.front()
    size_t m_unsent = 0;
    bool m_sendingEnded = false;
    bool m_webSocket = false;
};
