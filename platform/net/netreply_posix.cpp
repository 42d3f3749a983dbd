#include "platform/net/netreply.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

constexpr size_t CONTROL_SIZE = CMSG_SPACE(sizeof(in_pktinfo));

sockaddr_in socketAddress(const netAddress& address) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_addr.s_addr = htonl(address.host);
    out.sin_port = htons(address.port);
    return out;
}

} // namespace

bool reportLocalAddresses(netSocketHandle fd) {
    const int on = 1;
    return setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof(on)) == 0;
}

long receiveDatagramAt(netSocketHandle fd, uint8_t* buffer, size_t capacity, netAddress& from,
                       uint32_t& local) {
    sockaddr_in source{};
    iovec data{buffer, capacity};
    alignas(cmsghdr) unsigned char control[CONTROL_SIZE];
    msghdr header{};
    header.msg_name = &source;
    header.msg_namelen = sizeof(source);
    header.msg_iov = &data;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof(control);
    const ssize_t size = recvmsg(fd, &header, MSG_TRUNC | MSG_DONTWAIT);
    if (size < 0)
        return -1;
    from.host = ntohl(source.sin_addr.s_addr);
    from.port = ntohs(source.sin_port);
    local = 0;
    for (cmsghdr* entry = CMSG_FIRSTHDR(&header); entry != nullptr; entry = CMSG_NXTHDR(&header, entry)) {
        if (entry->cmsg_level != IPPROTO_IP || entry->cmsg_type != IP_PKTINFO)
            continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(entry), sizeof(info));
        local = ntohl(info.ipi_spec_dst.s_addr);
    }
    return static_cast<long>(size);
}

bool sendDatagramFrom(netSocketHandle fd, uint32_t local, const netAddress& to,
                      const std::vector<uint8_t>& bytes) {
    sockaddr_in target = socketAddress(to);
    iovec data{const_cast<uint8_t*>(bytes.data()), bytes.size()};
    alignas(cmsghdr) unsigned char control[CONTROL_SIZE] = {};
    msghdr header{};
    header.msg_name = &target;
    header.msg_namelen = sizeof(target);
    header.msg_iov = &data;
    header.msg_iovlen = 1;
    if (local != 0) {
        header.msg_control = control;
        header.msg_controllen = sizeof(control);
        cmsghdr* entry = CMSG_FIRSTHDR(&header);
        entry->cmsg_level = IPPROTO_IP;
        entry->cmsg_type = IP_PKTINFO;
        entry->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst.s_addr = htonl(local);
        std::memcpy(CMSG_DATA(entry), &info, sizeof(info));
    }
    const ssize_t sent = sendmsg(fd, &header, MSG_NOSIGNAL);
    return sent == static_cast<ssize_t>(bytes.size());
}
