#include "tests/app/httpget.h"

#include "tests/app/appprocess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int openConnection(uint32_t host, uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(host);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return fd;
    close(fd);
    return -1;
}

} // namespace

int openLoopbackConnection(uint16_t port) {
    return openConnection(INADDR_LOOPBACK, port);
}

void closeLoopbackConnection(int fd) {
    if (fd >= 0)
        close(fd);
}

std::string httpGetLoopback(uint16_t port, const std::string& path, int timeoutMs) {
    return httpGet(INADDR_LOOPBACK, port, path, timeoutMs);
}

std::string httpGet(uint32_t host, uint16_t port, const std::string& path, int timeoutMs) {
    const int fd = openConnection(host, port);
    if (fd < 0)
        return std::string();
    std::string answer;
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        const uint64_t deadline = monotonicMilliseconds() + static_cast<uint64_t>(timeoutMs);
        char buffer[4096];
        for (uint64_t now = monotonicMilliseconds(); now < deadline; now = monotonicMilliseconds()) {
            pollfd readable = {fd, POLLIN, 0};
            if (poll(&readable, 1, static_cast<int>(deadline - now)) <= 0)
                break;
            const ssize_t got = recv(fd, buffer, sizeof(buffer), 0);
            if (got <= 0)
                break;
            answer.append(buffer, static_cast<size_t>(got));
        }
    }
    close(fd);
    return answer;
}

std::string okBody(const std::string& answer) {
    const size_t end = answer.find("\r\n\r\n");
    if (answer.rfind("HTTP/1.1 200 ", 0) != 0 && answer.rfind("HTTP/1.0 200 ", 0) != 0)
        return std::string();
    return end == std::string::npos ? std::string() : answer.substr(end + 4);
}
