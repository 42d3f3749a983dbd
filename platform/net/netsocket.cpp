#include "platform/net/netsocket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool setOption(netSocketHandle fd, int option) {
    const int on = 1;
    return setsockopt(fd, SOL_SOCKET, option, &on, sizeof(on)) == 0;
}

netSocketHandle openBound(uint16_t port, bool shared, bool broadcast) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return NET_NO_SOCKET;
    bool ok = true;
    if (shared)
        ok = setOption(fd, SO_REUSEADDR) && setOption(fd, SO_REUSEPORT);
    if (ok && broadcast)
        ok = setOption(fd, SO_BROADCAST);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (!ok || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return NET_NO_SOCKET;
    }
    return fd;
}

} // namespace

bool netStartSockets() {
    return true;
}

netSocketHandle openDiscoveryListener(uint16_t port) {
    return openBound(port, true, false);
}

netSocketHandle openDiscoveryQuerySocket() {
    return openBound(0, false, true);
}

void closeSocket(netSocketHandle fd) {
    if (fd >= 0)
        close(fd);
}

bool sendDatagram(netSocketHandle fd, const netAddress& to, const std::vector<uint8_t>& bytes) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(to.host);
    address.sin_port = htons(to.port);
    const ssize_t sent = sendto(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    return sent == static_cast<ssize_t>(bytes.size());
}

long receiveDatagram(netSocketHandle fd, uint8_t* buffer, size_t capacity, netAddress& from) {
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    const ssize_t size = recvfrom(fd, buffer, capacity, MSG_TRUNC | MSG_DONTWAIT,
                                  reinterpret_cast<sockaddr*>(&address), &length);
    if (size < 0)
        return -1;
    from.host = ntohl(address.sin_addr.s_addr);
    from.port = ntohs(address.sin_port);
    return static_cast<long>(size);
}

uint16_t localPort(netSocketHandle fd) {
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

void setCloseOnExec(int fd) {
    const int flags = fcntl(fd, F_GETFD);
    if (flags >= 0)
        fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
}

void waitAnyReadable(netWaitEntry* entries, size_t count, int timeoutMs) {
    constexpr size_t MAX_ENTRIES = 4;
    pollfd fds[MAX_ENTRIES] = {};
    count = std::min(count, MAX_ENTRIES);
    for (size_t i = 0; i < count; ++i)
        fds[i] = {entries[i].socket, POLLIN, 0};
    const bool any = poll(fds, count, timeoutMs) > 0;
    for (size_t i = 0; i < count; ++i)
        entries[i].readable = any && (fds[i].revents & POLLIN) != 0;
}
