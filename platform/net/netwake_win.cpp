#include "platform/net/netwake.h"

#include <winsock2.h>

namespace {

constexpr int DRAIN_BUFFER_SIZE = 16;

} // namespace

// Windows has no eventfd: the socket is bound to 127.0.0.1 and a signal is a
// one-byte datagram to itself, so it never leaves the machine.
netWake::netWake() {
    if (!netStartSockets())
        return;
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return;
    u_long nonBlocking = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
        bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(s);
        return;
    }
    m_port = ntohs(address.sin_port);
    m_socket = s;
}

netWake::~netWake() {
    if (m_socket != NET_NO_SOCKET)
        closesocket(m_socket);
}

void netWake::writeSignal() {
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    self.sin_port = htons(m_port);
    const char byte = 1;
    // A full receive buffer still leaves the socket readable, so a failed send loses nothing.
    sendto(m_socket, &byte, 1, 0, reinterpret_cast<const sockaddr*>(&self), sizeof(self));
}

// Each signal is one datagram of one byte.
uint64_t netWake::readSignals() {
    char buffer[DRAIN_BUFFER_SIZE];
    uint64_t count = 0;
    while (recv(m_socket, buffer, sizeof(buffer), 0) >= 0)
        ++count;
    return count;
}
