#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// On the wire a message is its type (signed 32-bit, little-endian) followed by
// the payload; the transport's packet boundary delimits it, so there is no
// length field. A message without payload is exactly MESSAGE_TYPE_SIZE bytes.
constexpr int MESSAGE_TYPE_SIZE = 4;
static_assert(MESSAGE_TYPE_SIZE == sizeof(int32_t), "the type travels as a 32-bit integer");

// Every player of a session; the default destination of a message.
constexpr uint32_t ALL_PLAYERS = 0;

// One unit of traffic: a type and an owned payload. Copies are deep; a message
// owns its buffers and frees them with itself.
class networkMessage {
  public:
    networkMessage() = default;
    networkMessage(int type, const void* data, int size); // size <= 0 or null data: no payload

    // Rebuilds the message from a received buffer of size bytes. A null buffer
    // or one shorter than the type is refused: the message is left empty and
    // false returned. A received message has no wire buffer.
    bool setFromReceived(uint32_t playerID, const void* buffer, int size);

    int getType() const { return m_type; }
    const uint8_t* getData() const { return m_data.empty() ? nullptr : m_data.data(); } // null: no payload
    int getDataSize() const { return static_cast<int>(m_data.size()); }
    uint32_t getPlayerID() const { return m_playerID; } // sender of a received message, else 0
    const uint8_t* getWireBuffer() const { return m_wireBuffer.empty() ? nullptr : m_wireBuffer.data(); }
    int getWireSize() const { return static_cast<int>(m_wireBuffer.size()); }

    // Local routing only; neither travels on the wire.
    void setDestination(uint32_t playerID) { m_destination = playerID; } // ALL_PLAYERS: everyone
    uint32_t getDestination() const { return m_destination; }
    void setGuaranteed(bool guaranteed) { m_guaranteed = guaranteed; } // sent reliably when true
    bool isGuaranteed() const { return m_guaranteed; }

  private:
    void setPayload(const void* data, int size);
    void clear();

    std::vector<uint8_t> m_wireBuffer; // type then payload; empty for a received message
    uint32_t m_playerID = 0;
    int32_t m_type = 0;
    std::vector<uint8_t> m_data; // the payload
    uint32_t m_destination = ALL_PLAYERS;
    bool m_guaranteed = false;
};

// First-in first-out queue of message values. No lock of its own: the owner
// guards a queue that two threads share.
class messageQueue {
  public:
    void push(const networkMessage& message) { m_messages.push_back(message); }
    bool hasMessages() const { return !m_messages.empty(); }
    networkMessage pop(); // only on a queue that hasMessages
    void clear() { m_messages.clear(); }
    int size() const { return static_cast<int>(m_messages.size()); }

  private:
    std::deque<networkMessage> m_messages;
};
