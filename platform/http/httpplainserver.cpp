#include "platform/http/httpplainio.h"
#include "platform/http/httptextserver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// The text server of the server program, on POSIX sockets without TLS: one
// thread serves every open connection at once, each within a deadline, so
// clients that connect and send slowly or nothing cannot keep a scrape waiting.

namespace {

constexpr int LISTEN_BACKLOG = 16;
constexpr int CONNECTION_DEADLINE_MS = 2000;
constexpr size_t MAX_REQUEST_HEAD = 8192; // a scraper's GET is a few hundred bytes
// Connections served at once; a newcomer past this closes the oldest, so a
// flood of idle connections costs each of them its place, not the scraper.
constexpr size_t MAX_CONNECTIONS = 64;

struct connection {
    int fd = -1;
    httpDeadline deadline;
    std::string head;  // the request so far
    std::string reply; // once the head is complete
    size_t sent = 0;
};

int openListener(const std::string& address, uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1)
        return -1;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) == 0 &&
        bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof(where)) == 0 &&
        listen(fd, LISTEN_BACKLOG) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

uint16_t boundPort(int fd) {
    sockaddr_in where{};
    socklen_t length = sizeof(where);
    return getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) == 0 ? ntohs(where.sin_port) : 0;
}

std::string answer(int status, const char* reason, const std::string& contentType, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: " + contentType +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// "GET /metrics?x HTTP/1.1": true for a GET of path (any query ignored).
bool asksFor(const std::string& head, const std::string& path) {
    const size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const size_t first = line.find(' ');
    const size_t second = line.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos || line.compare(0, first, "GET") != 0)
        return false;
    const std::string target = line.substr(first + 1, second - first - 1);
    return target.substr(0, target.find('?')) == path;
}

} // namespace

struct httpTextServer::state {
    int listenFd = -1;
    int wake[2] = {-1, -1}; // closing wake[1] ends the loop
    std::thread thread;
    std::string path;
    std::string contentType;
    documentMaker maker;
    uint16_t port = 0;
    bool started = false;
    bool running = false;

    // Reads what has come; once the head is complete, the reply is made.
    // False when the connection is over (closed, too long, or failed).
    bool receive(connection& open) const {
        char buffer[4096];
        const ssize_t got = recv(open.fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
            return false;
        if (got > 0)
            open.head.append(buffer, static_cast<size_t>(got));
        if (open.head.find("\r\n\r\n") != std::string::npos)
            open.reply = asksFor(open.head, path) ? answer(200, "OK", contentType, maker())
                                                  : answer(404, "Not Found", "text/plain", "Not Found\n");
        return open.head.size() <= MAX_REQUEST_HEAD || !open.reply.empty();
    }

    // False once the reply has gone, or cannot go.
    static bool transmit(connection& open) {
        const ssize_t done = send(open.fd, open.reply.data() + open.sent, open.reply.size() - open.sent,
                                  MSG_NOSIGNAL | MSG_DONTWAIT);
        if (done < 0)
            return errno == EAGAIN || errno == EINTR;
        open.sent += static_cast<size_t>(done);
        return open.sent < open.reply.size();
    }

    void acceptAll(std::vector<connection>& open) const {
        for (;;) {
            const int client = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0)
                return;
            if (open.size() >= MAX_CONNECTIONS) {
                close(open.front().fd);
                open.erase(open.begin());
            }
            open.push_back(connection{client, httpDeadlineIn(CONNECTION_DEADLINE_MS), {}, {}, 0});
        }
    }

    static int msUntilFirstDeadline(const std::vector<connection>& open) {
        if (open.empty())
            return -1;
        const auto now = std::chrono::steady_clock::now();
        httpDeadline first = open.front().deadline;
        for (const connection& each : open)
            first = std::min(first, each.deadline);
        return static_cast<int>(std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(first - now).count() + 1));
    }

    void run() const {
        std::vector<connection> open;
        std::vector<pollfd> fds;
        for (;;) {
            fds.assign({{listenFd, POLLIN, 0}, {wake[0], POLLIN, 0}});
            for (const connection& each : open)
                fds.push_back({each.fd, static_cast<short>(each.reply.empty() ? POLLIN : POLLOUT), 0});
            if (poll(fds.data(), fds.size(), msUntilFirstDeadline(open)) < 0 && errno != EINTR)
                break;
            if (fds[1].revents != 0)
                break;
            const auto now = std::chrono::steady_clock::now();
            std::vector<connection> kept;
            for (size_t i = 0; i < open.size(); ++i) {
                connection& each = open[i];
                const short ready = fds[i + 2].revents;
                bool going = now < each.deadline;
                if (going && (ready & (POLLIN | POLLHUP | POLLERR)) != 0 && each.reply.empty())
                    going = receive(each);
                if (going && !each.reply.empty() && (ready & POLLOUT) != 0)
                    going = transmit(each);
                if (going)
                    kept.push_back(std::move(each));
                else
                    close(each.fd);
            }
            open = std::move(kept);
            if ((fds[0].revents & POLLIN) != 0)
                acceptAll(open);
        }
        for (const connection& each : open)
            close(each.fd);
    }
};

httpTextServer::httpTextServer() : m_state(std::make_unique<state>()) {}

httpTextServer::~httpTextServer() {
    stop();
}

bool httpTextServer::start(const std::string& address, uint16_t port, const std::string& path,
                           const std::string& contentType, documentMaker maker) {
    if (m_state->started)
        return false;
    m_state->started = true;
    m_state->listenFd = openListener(address, port);
    if (m_state->listenFd < 0 || fcntl(m_state->listenFd, F_SETFL, O_NONBLOCK) != 0 ||
        pipe2(m_state->wake, O_CLOEXEC) != 0) {
        stop();
        return false;
    }
    m_state->path = path;
    m_state->contentType = contentType;
    m_state->maker = std::move(maker);
    m_state->port = boundPort(m_state->listenFd);
    m_state->running = true;
    m_state->thread = std::thread([this] { m_state->run(); });
    return true;
}

void httpTextServer::stop() {
    // Closing the pipe's writing end wakes the loop, which then ends.
    if (m_state->wake[1] >= 0)
        close(m_state->wake[1]);
    m_state->wake[1] = -1;
    if (m_state->thread.joinable())
        m_state->thread.join();
    for (int* fd : {&m_state->listenFd, &m_state->wake[0]}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
    m_state->running = false;
    m_state->port = 0;
}

bool httpTextServer::isRunning() const {
    return m_state->running;
}

uint16_t httpTextServer::getPort() const {
    return m_state->port;
}
