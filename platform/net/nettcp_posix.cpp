#include "platform/net/nettcp.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void setNoDelay(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

} // namespace

netSocketHandle openTcpListener(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return NET_NO_SOCKET;
    // Lets a restarted host listen again while its old connections linger;
    // a port another program listens on still fails.
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 || listen(fd, 64) != 0) {
        close(fd);
        return NET_NO_SOCKET;
    }
    return fd;
}

netSocketHandle acceptTcp(netSocketHandle listener, uint32_t& fromHost) {
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    const int fd =
        accept4(listener, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return NET_NO_SOCKET;
    setNoDelay(fd);
    fromHost = ntohl(address.sin_addr.s_addr);
    return fd;
}

long receiveTcp(netSocketHandle fd, uint8_t* buffer, size_t capacity) {
    const ssize_t size = recv(fd, buffer, capacity, MSG_DONTWAIT);
    if (size >= 0)
        return static_cast<long>(size);
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? NET_TCP_WOULD_BLOCK : NET_TCP_FAILED;
}

long sendTcp(netSocketHandle fd, const uint8_t* data, size_t size) {
    const ssize_t sent = send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent >= 0)
        return static_cast<long>(sent);
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : NET_TCP_FAILED;
}

void shutdownTcpSending(netSocketHandle fd) {
    shutdown(fd, SHUT_WR);
}

netSocketHandle connectTcp(uint32_t host, uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return NET_NO_SOCKET;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(host);
    address.sin_port = htons(port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return NET_NO_SOCKET;
    }
    setNoDelay(fd);
    return fd;
}

void pollSockets(std::vector<netPollEntry>& entries, int timeoutMs) {
    std::vector<pollfd> fds(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        fds[i] = {entries[i].socket, static_cast<short>(POLLIN | (entries[i].wantWrite ? POLLOUT : 0)), 0};
    const bool any = poll(fds.data(), fds.size(), timeoutMs) > 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].readable = any && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        entries[i].writable = any && (fds[i].revents & POLLOUT) != 0;
    }
}
