#pragma once

#include "platform/net/netsocket.h"
#include "platform/net/netwebframe.h"

#include <cstdint>
#include <string>
#include <vector>

// A browser's end of the web port for tests, on loopback: a raw TCP
// connection that sends what a test asks (masked frames, or any bytes) and
// reads the host's frames, answering pings as a browser does.
class webTestClient {
  public:
    webTestClient() = default;
    ~webTestClient();
    webTestClient(const webTestClient&) = delete;
    webTestClient& operator=(const webTestClient&) = delete;

    bool connect(uint16_t port);
    // Sends the upgrade request for /play offering protocol; returns the
    // response's status (101 when it became a WebSocket), 0 when none came.
    int handshake(uint16_t port, const std::string& protocol = "zeb.1");
    void sendRaw(const std::vector<uint8_t>& bytes);
    void sendFrame(uint8_t opcode, const std::vector<uint8_t>& payload); // one masked, final frame
    void sendMessage(const std::vector<uint8_t>& payload) { sendFrame(WEB_OPCODE_BINARY, payload); }
    void closeWith(uint16_t code); // a masked close frame
    // The next binary message or the host's close (pings answered and
    // keepalives counted on the way);
    // kind none when nothing came within timeoutMs.
    webRead next(int timeoutMs);
    // Reads until the host closes or ends the connection; the close's code,
    // or 0 when the connection ended without one (or -1 when neither within timeoutMs).
    int waitClosed(int timeoutMs);
    bool isOpen() const { return m_socket != NET_NO_SOCKET; }
    void answerPings(bool answer) { m_answerPings = answer; }
    int getPingsSeen() const { return m_pingsSeen; }
    int getKeepalivesSeen() const { return m_keepalivesSeen; }
    void close();

  private:
    bool fill(int timeoutMs); // false when the connection ended or nothing came
    void send(const std::vector<uint8_t>& bytes);

    netSocketHandle m_socket = NET_NO_SOCKET;
    std::vector<uint8_t> m_pending; // bytes after the handshake's response
    webFrameReader m_reader{2 * 1024 * 1024, false};
    uint32_t m_maskSeed = 0x9E3779B9;
    bool m_answerPings = true;
    int m_pingsSeen = 0;
    int m_keepalivesSeen = 0; // empty binary messages
};

// One whole HTTP exchange on a connection of its own: the response's bytes
// (empty when none came within timeoutMs). extraHeaders: "Name: value\r\n" lines.
std::string webTestRequest(uint16_t port, const std::string& method, const std::string& target,
                           const std::string& extraHeaders = {}, int timeoutMs = 20000);
