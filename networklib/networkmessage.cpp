#include "networklib/networkmessage.h"

#include "core/assertion.h"
#include "core/littleendian.h"

#include <algorithm>
#include <utility>

networkMessage::networkMessage(int type, const void* data, int size) : m_type(type) {
    // The type comes first: the payload step writes it into the wire buffer.
    setPayload(data, size);
}

void networkMessage::setPayload(const void* data, int size) {
    m_data.clear();
    if (size > 0 && data != nullptr) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        m_data.assign(bytes, bytes + size);
    }
    m_wireBuffer.assign(MESSAGE_TYPE_SIZE + m_data.size(), 0);
    writeI32(m_wireBuffer.data(), m_type);
    std::copy(m_data.begin(), m_data.end(), m_wireBuffer.begin() + MESSAGE_TYPE_SIZE);
}

void networkMessage::clear() {
    m_wireBuffer.clear();
    m_playerID = 0;
    m_type = 0;
    m_data.clear();
    m_destination = ALL_PLAYERS;
    m_guaranteed = false;
}

bool networkMessage::setFromReceived(uint32_t playerID, const void* buffer, int size) {
    // The buffer comes from the network: a bad one is refused, never reported.
    if (buffer == nullptr || size < MESSAGE_TYPE_SIZE) {
        clear();
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    m_playerID = playerID;
    m_type = readI32(bytes);
    m_data.assign(bytes + MESSAGE_TYPE_SIZE, bytes + size);
    // A received message goes to the game and is never forwarded.
    m_wireBuffer.clear();
    return true;
}

networkMessage messageQueue::pop() {
    if (m_messages.empty()) {
        ZEB_FAIL("Pop from an empty message queue!");
        return networkMessage();
    }
    networkMessage front = std::move(m_messages.front());
    m_messages.pop_front();
    return front;
}
