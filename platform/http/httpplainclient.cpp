#include "platform/http/httpclient.h"
#include "platform/http/httpplainio.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// The HTTP client of the server program: one request, Connection: close, the
// answer read to its end. The sidecar's answers are small.

namespace {

constexpr size_t MAX_ANSWER_BYTES = 65536;

int connectLoopback(uint16_t port, httpDeadline deadline) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int failure = 0;
    socklen_t length = sizeof(failure);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
        (errno == EINPROGRESS && httpWaitFor(fd, POLLOUT, deadline) &&
         getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) == 0 && failure == 0))
        return fd;
    close(fd);
    return -1;
}

std::string requestText(uint16_t port, const std::string& method, const std::string& path,
                        const std::string& body) {
    std::string text = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                       "\r\nConnection: close\r\n";
    if (method != "GET")
        text += "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    return text + "\r\n" + (method != "GET" ? body : std::string());
}

// "HTTP/1.1 200 OK\r\n...": the status, 0 when the text is no answer.
int statusOf(const std::string& answer) {
    if (answer.rfind("HTTP/1.", 0) != 0 || answer.size() < 12 || answer[8] != ' ')
        return 0;
    const int status = std::atoi(answer.c_str() + 9);
    return status >= 100 && status <= 599 ? status : 0;
}

} // namespace

httpReply httpRequestLoopback(uint16_t port, const std::string& method, const std::string& path,
                              const std::string& jsonBody, int timeoutMs) {
    httpReply reply;
    const int fd = connectLoopback(port, httpDeadlineIn(timeoutMs));
    if (fd < 0)
        return reply;
    std::string answer;
    const httpDeadline deadline = httpDeadlineIn(timeoutMs);
    if (httpSendAll(fd, requestText(port, method, path, jsonBody), deadline))
        httpReceiveUntil(fd, std::string(), MAX_ANSWER_BYTES, deadline, answer);
    close(fd);
    reply.status = statusOf(answer);
    const size_t head = answer.find("\r\n\r\n");
    if (reply.status != 0 && head != std::string::npos)
        reply.body = answer.substr(head + 4);
    return reply;
}
