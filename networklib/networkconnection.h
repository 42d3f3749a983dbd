#pragma once

#include "core/timer.h"
#include "networklib/networkmessage.h"
#include "platform/net/netapplicationdesc.h"
#include "platform/net/netevents.h"
#include "platform/net/netguid.h"
#include "platform/net/netinbox.h"

#include <string>
#include <vector>

class messageLog;

// The types the network layer itself produces; the game's protocol gives them
// the same numbers.
constexpr int NETWORK_PLAYER_CREATED = 1;     // payload: player id (u32)
constexpr int NETWORK_PLAYER_DESTROYED = 2;   // payload: player id, reason (u32 each)
constexpr int NETWORK_SESSION_TERMINATED = 3; // no payload
constexpr int NETWORK_PLAYER_CREATED_SIZE = 4;
constexpr int NETWORK_PLAYER_DESTROYED_SIZE = 8;

// True for the types above: made by the network layer alone, never by a peer.
bool isTransportEvent(int type);
// The bounds of what a connection holds between two takes of the game are
// the transport's inbox's (netinbox.h).

// What the host and the client share: the session description, the message
// log, and the turning of the transport's events into messages. A connection
// belongs to the game's thread: the transport's service thread never calls
// into it but posts to an inbox that receiveMessages drains, as sends go out
// through the transport's outbox.
class networkConnection {
  public:
    virtual void initialise();
    virtual void send(const networkMessage& message) = 0;
    // Takes what the transport has posted first, so the answer and getEnd
    // agree with the messages the next receiveMessages returns.
    virtual bool isConnected() = 0;

    void setApplicationGuid(const netGuid& guid);
    void setSessionName(const std::string& name); // UTF-8, cut to 255 bytes

    void receiveMessages(messageQueue& queue); // replaces queue's contents with what arrived
    void sendMessages(messageQueue& queue);    // sends and empties queue, in order

    virtual uint64_t getDroppedCount() const = 0; // peer packets dropped over the inbox's bounds

    bool isLogging() const { return m_logging; }
    void setLogging(bool logging) { m_logging = logging; }

  protected:
    networkConnection();
    ~networkConnection(); // owners delete a connection through its own class
    networkConnection(const networkConnection&) = delete;
    networkConnection& operator=(const networkConnection&) = delete;

    // Around a batch of sends, so that it leaves in one round.
    virtual void holdSends() {}
    virtual void releaseSends() {}
    // Services the transport on the game's thread, where the game takes its
    // messages each frame or tick.
    virtual void pumpTransport() = 0;
    // Takes what the transport posted since the last take.
    virtual void takeEvents(std::vector<netIncoming>& events) = 0;
    // Turns one of them into messages (relay); the host and the client know different events.
    virtual void handle(netIncoming& event) = 0;
    // Takes and handles what the transport has posted so far.
    void collectEvents();

    // Queues (and logs) a message for the game's next take.
    void relay(const networkMessage& message);
    // Relays a peer's packet as a message; one too short for a type is dropped.
    void relayReceived(const netIncoming& received);

    messageQueue m_received;
    std::vector<netIncoming> m_events; // reused by each take
    netApplicationDesc m_applicationDesc;
    bool m_logging = true;
    timer m_logTimer;
    messageLog& m_logFile;
};
