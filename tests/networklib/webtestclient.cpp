#include "tests/networklib/webtestclient.h"

#include "platform/net/nettcp.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {

constexpr uint32_t LOOPBACK = 0x7F000001;

uint64_t nowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

bool sendAll(netSocketHandle socket, const uint8_t* data, size_t size) {
    const uint64_t deadline = nowMs() + 20000;
    while (size > 0 && nowMs() < deadline) {
        const long sent = sendTcp(socket, data, size);
        if (sent == NET_TCP_FAILED)
            return false;
        data += sent;
        size -= static_cast<size_t>(sent);
        if (sent == 0) {
            std::vector<netPollEntry> entries{{socket, true}};
            pollSockets(entries, 100);
        }
    }
    return size == 0;
}

} // namespace

webTestClient::~webTestClient() {
    close();
}

void webTestClient::close() {
    closeSocket(m_socket);
    m_socket = NET_NO_SOCKET;
}

bool webTestClient::connect(uint16_t port) {
    close();
    m_socket = connectTcp(LOOPBACK, port);
    return m_socket != NET_NO_SOCKET;
}

void webTestClient::send(const std::vector<uint8_t>& bytes) {
    if (m_socket != NET_NO_SOCKET)
        sendAll(m_socket, bytes.data(), bytes.size());
}

void webTestClient::sendRaw(const std::vector<uint8_t>& bytes) {
    send(bytes);
}

int webTestClient::handshake(uint16_t port, const std::string& protocol) {
    if (!connect(port))
        return 0;
    const std::string request = "GET /play HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
                                "Sec-WebSocket-Protocol: " +
                                protocol + "\r\n\r\n";
    send(std::vector<uint8_t>(request.begin(), request.end()));
    const uint64_t deadline = nowMs() + 20000;
    while (nowMs() < deadline) {
        const std::string text(m_pending.begin(), m_pending.end());
        const size_t end = text.find("\r\n\r\n");
        if (end != std::string::npos) {
            m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(end + 4));
            m_reader.append(m_pending.data(), m_pending.size());
            m_pending.clear();
            return text.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(text.c_str() + 9) : 0;
        }
        uint8_t buffer[4096];
        std::vector<netPollEntry> entries{{m_socket}};
        pollSockets(entries, 100);
        const long size = receiveTcp(m_socket, buffer, sizeof(buffer));
        if (size == 0 || size == NET_TCP_FAILED)
            return 0;
        if (size > 0)
            m_pending.insert(m_pending.end(), buffer, buffer + size);
    }
    return 0;
}

void webTestClient::sendFrame(uint8_t opcode, const std::vector<uint8_t>& payload) {
    m_maskSeed = m_maskSeed * 1664525u + 1013904223u;
    const uint8_t mask[4] = {static_cast<uint8_t>(m_maskSeed >> 24), static_cast<uint8_t>(m_maskSeed >> 16),
                             static_cast<uint8_t>(m_maskSeed >> 8), static_cast<uint8_t>(m_maskSeed)};
    send(makeWebFrame(opcode, payload.data(), payload.size(), mask));
}

void webTestClient::closeWith(uint16_t code) {
    const uint8_t mask[4] = {1, 2, 3, 4};
    send(makeWebClose(code, mask));
}

bool webTestClient::fill(int timeoutMs) {
    if (m_socket == NET_NO_SOCKET)
        return false;
    std::vector<netPollEntry> entries{{m_socket}};
    pollSockets(entries, timeoutMs);
    uint8_t buffer[65536];
    const long size = receiveTcp(m_socket, buffer, std::min(sizeof(buffer), m_reader.room()));
    if (size == 0 || size == NET_TCP_FAILED) {
        close();
        return false;
    }
    if (size > 0)
        m_reader.append(buffer, static_cast<size_t>(size));
    return size > 0;
}

webRead webTestClient::next(int timeoutMs) {
    const uint64_t deadline = nowMs() + static_cast<uint64_t>(timeoutMs);
    while (true) {
        webRead read = m_reader.next();
        if (read.kind == webReadKind::ping) {
            ++m_pingsSeen;
            if (m_answerPings)
                sendFrame(WEB_OPCODE_PONG, read.payload);
            continue;
        }
        if (read.kind == webReadKind::message && read.payload.empty()) {
            ++m_keepalivesSeen;
            continue;
        }
        if (read.kind == webReadKind::message || read.kind == webReadKind::close ||
            read.kind == webReadKind::fault)
            return read;
        if (read.kind == webReadKind::pong)
            continue;
        const uint64_t now = nowMs();
        if (now >= deadline || m_socket == NET_NO_SOCKET)
            return {};
        fill(static_cast<int>(std::min<uint64_t>(deadline - now, 100)));
    }
}

int webTestClient::waitClosed(int timeoutMs) {
    const uint64_t deadline = nowMs() + static_cast<uint64_t>(timeoutMs);
    while (nowMs() < deadline) {
        const webRead read = next(100);
        if (read.kind == webReadKind::close)
            return read.code;
        if (read.kind == webReadKind::none && m_socket == NET_NO_SOCKET)
            return 0;
    }
    return -1;
}

std::string webTestRequest(uint16_t port, const std::string& method, const std::string& target,
                           const std::string& extraHeaders, int timeoutMs) {
    const netSocketHandle socket = connectTcp(LOOPBACK, port);
    if (socket == NET_NO_SOCKET)
        return {};
    const std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders +
                                "Connection: close\r\n\r\n";
    std::string response;
    if (sendAll(socket, reinterpret_cast<const uint8_t*>(request.data()), request.size())) {
        const uint64_t deadline = nowMs() + static_cast<uint64_t>(timeoutMs);
        while (nowMs() < deadline) {
            std::vector<netPollEntry> entries{{socket}};
            pollSockets(entries, 100);
            uint8_t buffer[65536];
            const long size = receiveTcp(socket, buffer, sizeof(buffer));
            if (size == 0 || size == NET_TCP_FAILED)
                break;
            if (size > 0)
                response.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
        }
    }
    closeSocket(socket);
    return response;
}
