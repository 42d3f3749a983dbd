#pragma once

#include "networklib/networkevent.h"
#include "networklib/networkmessage.h"
#include "platform/net/netguid.h"
#include "platform/net/netinbox.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Polls condition every millisecond until it holds or timeoutMs pass.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

// An application GUID of the running test's own, so tests never find each
// other's sessions.
netGuid testGuid();

// Captures assertion reports (answering Debug, so the caller carries on)
// while it exists.
class assertionCapture {
  public:
    assertionCapture();
    ~assertionCapture();
    std::vector<std::string> reports() const;
    bool saw(const std::string& fragment) const; // some report contains it
};

// What arrived at a connection over several takes: the messages peers sent,
// and the transport's events with their places counted among all of them.
struct arrivals {
    std::vector<networkMessage> messages;
    std::vector<networkEvent> events;
    int count(networkEventKind kind) const;
    const networkEvent* last(networkEventKind kind) const; // null when none came
};

// Appends everything that has arrived at a connection to all.
template <typename Connection> void drain(Connection& connection, arrivals& all) {
    messageQueue queue;
    std::vector<networkEvent> events;
    connection.receiveMessages(queue, events);
    for (networkEvent& event : events) {
        event.messagesBefore += static_cast<int>(all.messages.size());
        all.events.push_back(event);
    }
    while (queue.hasMessages())
        all.messages.push_back(queue.pop());
}

// Drains into all until some message of type has arrived or timeoutMs pass.
template <typename Connection>
bool waitForType(Connection& connection, arrivals& all, int type, int timeoutMs) {
    return waitUntil(
        [&] {
            drain(connection, all);
            for (const networkMessage& message : all.messages)
                if (message.getType() == type)
                    return true;
            return false;
        },
        timeoutMs);
}

// Drains into all until an event of kind has arrived or timeoutMs pass.
template <typename Connection>
bool waitForEvent(Connection& connection, arrivals& all, networkEventKind kind, int timeoutMs) {
    return waitUntil(
        [&] {
            drain(connection, all);
            return all.count(kind) > 0;
        },
        timeoutMs);
}

// Takes a raw transport's events (a netClient's or a netServer's) until one of
// kind has arrived or timeoutMs pass; the events taken are dropped.
template <typename Transport> bool waitForEvent(Transport& transport, netEventKind kind, int timeoutMs) {
    std::vector<netIncoming> events;
    return waitUntil(
        [&] {
            transport.takeEvents(events);
            for (const netIncoming& event : events)
                if (event.kind == kind)
                    return true;
            return false;
        },
        timeoutMs);
}

// This process's resident memory in kilobytes; 0 when it cannot be read.
long residentKilobytes();

#include "networklib/networkclient.h"
#include "networklib/networkhost.h"

#include <memory>

// A host of guid listening on a port the system picks, already hosting.
std::unique_ptr<networkHost> makeHost(const netGuid& guid, const std::string& sessionName = "The Game");
// An initialised client of guid, not yet connected.
std::unique_ptr<networkClient> makeClient(const netGuid& guid);
std::string loopbackAddress(const networkHost& host); // "127.0.0.1:<port>"
