#include "platform/net/nettcp.h"

#include <winsock2.h>

#include <ws2tcpip.h>

namespace {

void makeNonBlocking(SOCKET s) {
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
}

void setNoDelay(SOCKET s) {
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof(on));
}

bool wouldBlock() {
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

} // namespace

netSocketHandle openTcpListener(uint16_t port) {
    if (!netStartSockets())
        return NET_NO_SOCKET;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return NET_NO_SOCKET;
    // Windows' SO_REUSEADDR would let another program take the port too.
    const BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof(on));
    makeNonBlocking(s);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 || listen(s, 64) != 0) {
        closesocket(s);
        return NET_NO_SOCKET;
    }
    return s;
}

netSocketHandle acceptTcp(netSocketHandle listener, uint32_t& fromHost) {
    sockaddr_in address{};
    int length = sizeof(address);
    const SOCKET s = accept(listener, reinterpret_cast<sockaddr*>(&address), &length);
    if (s == INVALID_SOCKET)
        return NET_NO_SOCKET;
    makeNonBlocking(s);
    setNoDelay(s);
    fromHost = ntohl(address.sin_addr.s_addr);
    return s;
}

long receiveTcp(netSocketHandle fd, uint8_t* buffer, size_t capacity) {
    const int size =
        recv(fd, reinterpret_cast<char*>(buffer), static_cast<int>(capacity > 65536 ? 65536 : capacity), 0);
    if (size >= 0)
        return size;
    return wouldBlock() ? NET_TCP_WOULD_BLOCK : NET_TCP_FAILED;
}

long sendTcp(netSocketHandle fd, const uint8_t* data, size_t size) {
    const int sent =
        send(fd, reinterpret_cast<const char*>(data), static_cast<int>(size > 65536 ? 65536 : size), 0);
    if (sent >= 0)
        return sent;
    return wouldBlock() ? 0 : NET_TCP_FAILED;
}

void shutdownTcpSending(netSocketHandle fd) {
    shutdown(fd, SD_SEND);
}

netSocketHandle connectTcp(uint32_t host, uint16_t port) {
    if (!netStartSockets())
        return NET_NO_SOCKET;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return NET_NO_SOCKET;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(host);
    address.sin_port = htons(port);
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        closesocket(s);
        return NET_NO_SOCKET;
    }
    makeNonBlocking(s);
    setNoDelay(s);
    return s;
}

void pollSockets(std::vector<netPollEntry>& entries, int timeoutMs) {
    std::vector<WSAPOLLFD> fds(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        fds[i].fd =
            entries[i].socket == NET_NO_SOCKET ? INVALID_SOCKET : static_cast<SOCKET>(entries[i].socket);
        fds[i].events = static_cast<SHORT>(POLLRDNORM | (entries[i].wantWrite ? POLLWRNORM : 0));
        fds[i].revents = 0;
    }
    const bool any = WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs) > 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].readable = any && (fds[i].revents & (POLLRDNORM | POLLHUP | POLLERR)) != 0;
        entries[i].writable = any && (fds[i].revents & POLLWRNORM) != 0;
    }
}
