#pragma once

#include "core/timer.h"
#include "networklib/networkevent.h"
#include "networklib/networkmessage.h"
#include "platform/net/netapplicationdesc.h"
#include "platform/net/netevents.h"
#include "platform/net/netguid.h"
#include "platform/net/netinbox.h"

#include <string>
#include <vector>

class messageLog;

// The bounds of what a connection holds between two takes of the game are
// the transport's inbox's (netinbox.h).

// What the host and the client share: the session description, the message
// log, and the sorting of what the transport posts into the messages peers
// sent and the transport's own events. A connection belongs to the game's
// thread: the transport's service thread never calls into it but posts to an
// inbox that receiveMessages drains, as sends go out through the transport's
// outbox.
class networkConnection {
  public:
    virtual void initialise();
    virtual void send(const networkMessage& message) = 0;
    // Takes what the transport has posted first, so the answer and getEnd
    // agree with the messages the next receiveMessages returns.
    virtual bool isConnected() = 0;

    void setApplicationGuid(const netGuid& guid);
    void setSessionName(const std::string& name); // UTF-8, cut to 255 bytes

    // Replaces queue's contents with the messages peers sent since the last
    // take, and events' with what the transport reported meanwhile, each in
    // its place among those messages.
    void receiveMessages(messageQueue& queue, std::vector<networkEvent>& events);
    void sendMessages(messageQueue& queue); // sends and empties queue, in order

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
    // Sorts one of them into a message (relayReceived) or an event (relay);
    // the host and the client know different ones.
    virtual void handle(netIncoming& event) = 0;
    // Takes and handles what the transport has posted so far.
    void collectEvents();

    // Queues (and logs) an event of the transport for the game's next take.
    void relay(networkEvent event);
    // Queues (and logs) a peer's packet as a message; one too short for a type is dropped.
    void relayReceived(const netIncoming& received);

    messageQueue m_received;
    std::vector<networkEvent> m_arrivedEvents; // for the game's next take
    std::vector<netIncoming> m_incoming;       // reused by each take from the transport
    netApplicationDesc m_applicationDesc;
    bool m_logging = true;
    timer m_logTimer;
    messageLog& m_logFile;
};
