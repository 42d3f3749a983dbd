#include "platform/http/httpplainio.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

httpDeadline httpDeadlineIn(int milliseconds) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

bool httpWaitFor(int fd, short events, httpDeadline deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool httpSendAll(int fd, const std::string& bytes, httpDeadline deadline) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (!httpWaitFor(fd, POLLOUT, deadline))
            return false;
        const ssize_t done = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (done < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (done > 0)
            sent += static_cast<size_t>(done);
    }
    return true;
}

bool httpReceiveUntil(int fd, const std::string& end, size_t limit, httpDeadline deadline,
                      std::string& text) {
    char buffer[4096];
    while (text.size() < limit) {
        if (!end.empty() && text.find(end) != std::string::npos)
            return true;
        if (!httpWaitFor(fd, POLLIN, deadline))
            return false;
        const size_t room = std::min(sizeof(buffer), limit - text.size());
        const ssize_t got = recv(fd, buffer, room, MSG_DONTWAIT);
        if (got == 0)
            return end.empty();
        if (got < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (got > 0)
            text.append(buffer, static_cast<size_t>(got));
    }
    return !end.empty() && text.find(end) != std::string::npos;
}
