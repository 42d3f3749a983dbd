#pragma once

#include "networklib/networkmessage.h"
#include "platform/net/netapplicationdesc.h"
#include "platform/net/netevents.h"
#include "platform/net/netguid.h"
#include "timer.h"

#include <atomic>
#include <mutex>
#include <string>

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

// What the host and the client share: the queue of received messages under
// the connection's lock, the session description and the message log. Events
// arrive on the transport's service thread and become messages on the queue;
// the game thread takes them with receiveMessages.
class networkConnection {
  public:
    virtual void initialise();
    virtual void send(const networkMessage& message) = 0;

    void setApplicationGuid(const netGuid& guid);
    void setSessionName(const std::string& name); // UTF-8, cut to 255 bytes
    bool isConnected() const { return m_connected; }

    void receiveMessages(messageQueue& queue); // replaces queue's contents with what arrived
    void sendMessages(messageQueue& queue);    // sends and empties queue, in order
    void queueReceived(const networkMessage& message);
    void logMessage(const networkMessage& message); // the caller holds the lock

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

    // Queues (and logs) a message built by a handler, under the lock.
    void relay(const networkMessage& message);
    // Relays a peer's packet as a message. A packet too short for a type is the
    // peer's malformed input, not a fault of this program: it is dropped without
    // the assertion report, which could end the process.
    void relayReceived(const netMsgReceive& received);

    messageQueue m_received;
    std::recursive_mutex m_lock;
    std::atomic<bool> m_connected{false}; // written by the service thread, polled by the game
    netApplicationDesc m_applicationDesc;
    std::atomic<bool> m_logging{true};
    timer m_logTimer;
    messageLog& m_logFile;
};
