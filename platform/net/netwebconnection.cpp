#include "platform/net/netwebconnection.h"

#include "platform/net/nettcp.h"
#include "platform/net/netwebhttp.h"

#include <algorithm>

webConnection::webConnection(netSocketHandle socket, uint32_t address, uint32_t now, size_t maxMessage)
    : m_since(now), m_socket(socket), m_address(address), m_reader(maxMessage, true) {}

webConnection::~webConnection() {
    close();
}

void webConnection::close() {
    if (m_socket != NET_NO_SOCKET)
        closeSocket(m_socket);
    m_socket = NET_NO_SOCKET;
    m_stage = stage::closed;
    m_out.clear();
    m_unsent = 0;
}

void webConnection::queue(webBytes bytes) {
    if (m_stage == stage::closed || bytes == nullptr || bytes->empty())
        return;
    m_unsent += bytes->size();
    m_out.push_back(std::move(bytes));
}

void webConnection::finish(uint32_t deadline) {
    if (m_stage == stage::closed || m_stage == stage::finishing)
        return;
    m_stage = stage::finishing;
    m_finishDeadline = deadline;
}

uint32_t webConnection::takePlayer() {
    const uint32_t player = m_player;
    m_player = 0;
    return player;
}

bool webConnection::flush(uint64_t& sentBytes) {
    while (!m_out.empty()) {
        const std::vector<uint8_t>& front = *m_out.front();
        const long sent = sendTcp(m_socket, front.data() + m_outOffset, front.size() - m_outOffset);
        if (sent == NET_TCP_FAILED)
            return false;
        if (sent == 0)
            return true;
        sentBytes += static_cast<uint64_t>(sent);
        m_outOffset += static_cast<size_t>(sent);
        m_unsent -= static_cast<size_t>(sent);
        if (m_outOffset == front.size()) {
            m_out.pop_front();
            m_outOffset = 0;
        }
    }
    if (m_stage == stage::finishing && !m_sendingEnded) {
        shutdownTcpSending(m_socket);
        m_sendingEnded = true;
    }
    return true;
}

bool webConnection::receive(uint64_t& receivedBytes) {
    uint8_t buffer[16384];
    while (true) {
        size_t room = 0;
        if (m_stage == stage::request)
            room = WEB_MAX_REQUEST_BYTES - std::min(WEB_MAX_REQUEST_BYTES, m_request.size());
        else if (m_stage == stage::player)
            room = m_reader.room();
        else
            room = sizeof(buffer); // finishing: read and forget, so the other end's close arrives
        if (room == 0)
            return true; // the owner takes what is whole first
        const long size = receiveTcp(m_socket, buffer, std::min(room, sizeof(buffer)));
        if (size == NET_TCP_WOULD_BLOCK)
            return true;
        if (size <= 0)
            return false;
        receivedBytes += static_cast<uint64_t>(size);
        if (m_stage == stage::request)
            m_request.insert(m_request.end(), buffer, buffer + size);
        else if (m_stage == stage::player)
            m_reader.append(buffer, static_cast<size_t>(size));
    }
}
