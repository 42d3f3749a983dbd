#include "tests/lan/forgedsender.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr size_t MAX_PAYLOAD = 1024;
constexpr uint8_t TIME_TO_LIVE = 64;

} // namespace

// IPPROTO_RAW implies that the IP header is ours to write; the kernel still
// fills in its checksum and identification.
forgedSender::forgedSender() : m_fd(socket(AF_INET, SOCK_RAW, IPPROTO_RAW)) {}

forgedSender::~forgedSender() {
    if (m_fd >= 0)
        close(m_fd);
}

bool forgedSender::send(uint32_t fromHost, uint16_t fromPort, uint32_t toHost, uint16_t toPort,
                        const std::vector<uint8_t>& payload) const {
    if (m_fd < 0 || payload.size() > MAX_PAYLOAD)
        return false;
    uint8_t packet[sizeof(iphdr) + sizeof(udphdr) + MAX_PAYLOAD] = {};
    const size_t udpSize = sizeof(udphdr) + payload.size();
    const size_t total = sizeof(iphdr) + udpSize;
    iphdr ip = {};
    ip.ihl = sizeof(iphdr) / 4;
    ip.version = 4;
    ip.tot_len = htons(static_cast<uint16_t>(total));
    ip.ttl = TIME_TO_LIVE;
    ip.protocol = IPPROTO_UDP;
    ip.saddr = htonl(fromHost);
    ip.daddr = htonl(toHost);
    udphdr udp = {};
    udp.source = htons(fromPort);
    udp.dest = htons(toPort);
    udp.len = htons(static_cast<uint16_t>(udpSize));
    udp.check = 0; // none, which IPv4 allows
    std::memcpy(packet, &ip, sizeof(ip));
    std::memcpy(packet + sizeof(ip), &udp, sizeof(udp));
    std::memcpy(packet + sizeof(ip) + sizeof(udp), payload.data(), payload.size());
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(toHost);
    return sendto(m_fd, packet, total, 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) ==
           static_cast<ssize_t>(total);
}
