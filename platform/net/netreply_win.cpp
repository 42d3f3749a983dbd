#include "platform/net/netreply.h"

// Winsock reports a datagram's local address only through WSARecvMsg, which
// is reached through a function pointer per socket; until that is worth it,
// a Windows host answers from the source its routing table picks.

bool reportLocalAddresses(netSocketHandle) {
    return false;
}

long receiveDatagramAt(netSocketHandle fd, uint8_t* buffer, size_t capacity, netAddress& from,
                       uint32_t& local) {
    local = 0;
    return receiveDatagram(fd, buffer, capacity, from);
}

bool sendDatagramFrom(netSocketHandle fd, uint32_t, const netAddress& to, const std::vector<uint8_t>& bytes) {
    return sendDatagram(fd, to, bytes);
}
