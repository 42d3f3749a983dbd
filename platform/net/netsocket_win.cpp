#include "platform/net/netsocket.h"

#include <winsock2.h>

#include <mswsock.h>

#include <algorithm>
#include <mutex>

namespace {

bool setOption(SOCKET s, int option) {
    const BOOL on = TRUE;
    return setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&on), sizeof(on)) == 0;
}

// Windows' SO_REUSEADDR lets every host on the machine bind the discovery port
// and hear a broadcast; it has no SO_REUSEPORT.
netSocketHandle openBound(uint16_t port, bool shared, bool broadcast) {
    if (!netStartSockets())
        return NET_NO_SOCKET;
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return NET_NO_SOCKET;
    u_long nonBlocking = 1;
    bool ok = ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
    if (ok && shared)
        ok = setOption(s, SO_REUSEADDR);
    if (ok && broadcast)
        ok = setOption(s, SO_BROADCAST);
    // Otherwise a port-unreachable answer to one send fails the next receive.
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, SIO_UDP_CONNRESET, &reportReset, sizeof(reportReset), nullptr, 0, &returned, nullptr,
             nullptr);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (!ok || bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        closesocket(s);
        return NET_NO_SOCKET;
    }
    return s;
}

} // namespace

// Winsock stays started until the process ends: sockets live on service
// threads whose end the process does not wait for.
bool netStartSockets() {
    static std::once_flag s_once;
    static bool s_started = false;
    std::call_once(s_once, [] {
        WSADATA data;
        s_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return s_started;
}

netSocketHandle openDiscoveryListener(uint16_t port) {
    return openBound(port, true, false);
}

netSocketHandle openDiscoveryQuerySocket() {
    return openBound(0, false, true);
}

void closeSocket(netSocketHandle fd) {
    if (fd != NET_NO_SOCKET)
        closesocket(fd);
}

bool sendDatagram(netSocketHandle fd, const netAddress& to, const std::vector<uint8_t>& bytes) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(to.host);
    address.sin_port = htons(to.port);
    const int sent = sendto(fd, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                            0, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    return sent == static_cast<int>(bytes.size());
}

// Winsock reports a datagram larger than the buffer as WSAEMSGSIZE, with the
// buffer filled, and does not tell its size: it counts as one byte over.
long receiveDatagram(netSocketHandle fd, uint8_t* buffer, size_t capacity, netAddress& from) {
    sockaddr_in address{};
    int length = sizeof(address);
    const int size = recvfrom(fd, reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0,
                              reinterpret_cast<sockaddr*>(&address), &length);
    long result = size;
    if (size < 0) {
        if (WSAGetLastError() != WSAEMSGSIZE)
            return -1;
        result = static_cast<long>(capacity) + 1;
    }
    from.host = ntohl(address.sin_addr.s_addr);
    from.port = ntohs(address.sin_port);
    return result;
}

uint16_t localPort(netSocketHandle fd) {
    sockaddr_in address{};
    int length = sizeof(address);
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

void waitAnyReadable(netWaitEntry* entries, size_t count, int timeoutMs) {
    constexpr size_t MAX_ENTRIES = 4;
    WSAPOLLFD fds[MAX_ENTRIES] = {};
    count = std::min(count, MAX_ENTRIES);
    for (size_t i = 0; i < count; ++i) {
        // WSAPoll passes over negative handles, as poll does.
        fds[i].fd = entries[i].socket;
        fds[i].events = POLLRDNORM;
    }
    const bool any = WSAPoll(fds, static_cast<ULONG>(count), timeoutMs) > 0;
    for (size_t i = 0; i < count; ++i)
        entries[i].readable = any && (fds[i].revents & (POLLRDNORM | POLLERR | POLLHUP)) != 0;
}

// Windows' sockets are inheritable handles: a program started with inherited
// handles would keep the port taken.
void setCloseOnExec(netSocketHandle fd) {
    SetHandleInformation(reinterpret_cast<HANDLE>(fd), HANDLE_FLAG_INHERIT, 0);
}
