#include "tests/networklib/lossyrelay.h"

#include <arpa/inet.h>
#include <chrono>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <queue>
#include <random>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using relayClock = std::chrono::steady_clock;
constexpr int POLL_MS = 1;
constexpr size_t MAX_DATAGRAM = 65536;

int openLoopbackSocket() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(NET_LOOPBACK_HOST);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

sockaddr_in toSockaddr(const netAddress& address) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = htonl(address.host);
    out.sin_port = htons(address.port);
    return out;
}

struct pendingDatagram {
    relayClock::time_point due;
    int fd;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
    bool operator>(const pendingDatagram& other) const { return due > other.due; }
};

} // namespace

lossyRelay::lossyRelay(const netAddress& target, int delayMs, int lossPercent, uint32_t seed)
    : m_target(target), m_delayMs(delayMs), m_lossPercent(lossPercent), m_seed(seed) {
    m_listenFd = openLoopbackSocket();
    if (m_listenFd < 0)
        return;
    sockaddr_in bound{};
    socklen_t length = sizeof(bound);
    getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&bound), &length);
    m_port = ntohs(bound.sin_port);
    m_thread = std::thread(&lossyRelay::run, this);
}

lossyRelay::~lossyRelay() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listenFd >= 0)
        close(m_listenFd);
}

void lossyRelay::run() {
    std::mt19937 random(m_seed);
    std::map<std::pair<uint32_t, uint16_t>, int> upstream; // client address -> its socket
    std::map<int, sockaddr_in> clientOf;                   // upstream socket -> client address
    std::priority_queue<pendingDatagram, std::vector<pendingDatagram>, std::greater<>> pending;
    std::vector<uint8_t> buffer(MAX_DATAGRAM);
    const sockaddr_in target = toSockaddr(m_target);

    auto relay = [&](int fromFd, int outFd, const sockaddr_in& to) {
        sockaddr_in source{};
        socklen_t length = sizeof(source);
        const ssize_t size =
            recvfrom(fromFd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&source), &length);
        if (size < 0)
            return false;
        const bool lost = static_cast<int>(random() % 100) < m_lossPercent;
        const int jitter = m_jitterMs;
        const int delay = m_delayMs + (jitter > 0 ? static_cast<int>(random() % (jitter + 1)) : 0);
        if (!lost && !m_blackhole) {
            pending.push({relayClock::now() + std::chrono::milliseconds(delay), outFd, to,
                          std::vector<uint8_t>(buffer.begin(), buffer.begin() + size)});
        }
        return true;
    };

    while (!m_stop) {
        std::vector<pollfd> fds = {{m_listenFd, POLLIN, 0}};
        for (const auto& entry : clientOf)
            fds.push_back({entry.first, POLLIN, 0});
        poll(fds.data(), fds.size(), POLL_MS);

        // From clients: the first datagram of a new client opens its upstream socket.
        while (true) {
            sockaddr_in source{};
            socklen_t length = sizeof(source);
            const ssize_t peeked = recvfrom(m_listenFd, buffer.data(), 1, MSG_PEEK,
                                            reinterpret_cast<sockaddr*>(&source), &length);
            if (peeked < 0)
                break;
            const auto key = std::make_pair(source.sin_addr.s_addr, source.sin_port);
            auto found = upstream.find(key);
            if (found == upstream.end()) {
                const int fd = openLoopbackSocket();
                if (fd < 0)
                    break;
                found = upstream.emplace(key, fd).first;
                clientOf[fd] = source;
            }
            relay(m_listenFd, found->second, target);
        }
        // From the target: back to the client of that socket.
        for (const auto& entry : clientOf) {
            while (relay(entry.first, m_listenFd, entry.second)) {
            }
        }
        const auto now = relayClock::now();
        while (!pending.empty() && pending.top().due <= now) {
            const pendingDatagram& next = pending.top();
            sendto(next.fd, next.bytes.data(), next.bytes.size(), 0,
                   reinterpret_cast<const sockaddr*>(&next.to), sizeof(next.to));
            pending.pop();
        }
    }
    for (const auto& entry : clientOf)
        close(entry.first);
}
