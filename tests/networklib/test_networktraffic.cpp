#include "tests/networklib/nettesthelpers.h"

#include <gtest/gtest.h>

namespace {

constexpr int WAIT_MS = 3000;

networkMessage numbered(int type, int size) {
    std::vector<uint8_t> payload(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i)
        payload[i] = static_cast<uint8_t>(type * 7 + i);
    return networkMessage(type, payload.data(), size);
}

bool isWhole(const networkMessage& message, int size) {
    if (message.getDataSize() != size)
        return false;
    for (int i = 0; i < size; ++i)
        if (message.getData()[i] != static_cast<uint8_t>(message.getType() * 7 + i))
            return false;
    return true;
}

struct session {
    std::unique_ptr<networkHost> host;
    std::vector<std::unique_ptr<networkClient>> clients;
    std::vector<uint32_t> ids;
};

// A host with count joined clients; ids[i] is clients[i]'s player id.
void join(session& s, int count) {
    s.host = makeHost(testGuid());
    for (int i = 0; i < count; ++i) {
        s.clients.push_back(makeClient(testGuid()));
        ASSERT_TRUE(s.clients.back()->connectTo(loopbackAddress(*s.host)));
        ASSERT_TRUE(waitUntil([&] { return s.clients.back()->isConnected(); }, WAIT_MS));
        arrivals got;
        ASSERT_TRUE(waitForEvent(*s.host, got, networkEventKind::playerJoined, WAIT_MS));
        s.ids.push_back(got.events.back().playerID);
    }
}

template <typename Connection> std::vector<networkMessage> collect(Connection& to, size_t count) {
    arrivals got;
    waitUntil(
        [&] {
            drain(to, got);
            return got.messages.size() >= count;
        },
        WAIT_MS);
    return got.messages;
}

} // namespace

TEST(NetworkTraffic, MessagesArriveWholeAndInOrderBothWays) {
    session s;
    join(s, 1);
    constexpr int COUNT = 200;
    messageQueue up, down;
    for (int i = 0; i < COUNT; ++i) {
        up.push(numbered(100 + i, i % 61));
        down.push(numbered(400 + i, (i * 3) % 97));
    }
    s.clients[0]->sendMessages(up);
    s.host->sendMessages(down);
    const auto atHost = collect(*s.host, COUNT);
    const auto atClient = collect(*s.clients[0], COUNT);
    ASSERT_EQ(atHost.size(), size_t(COUNT));
    ASSERT_EQ(atClient.size(), size_t(COUNT));
    for (int i = 0; i < COUNT; ++i) {
        EXPECT_EQ(atHost[i].getType(), 100 + i);
        EXPECT_TRUE(isWhole(atHost[i], i % 61)) << i;
        EXPECT_EQ(atHost[i].getPlayerID(), s.ids[0]);
        EXPECT_EQ(atClient[i].getType(), 400 + i);
        EXPECT_TRUE(isWhole(atClient[i], (i * 3) % 97)) << i;
    }
}

TEST(NetworkTraffic, AGuaranteedMessageKeepsItsPlaceAndLargeOnesArriveWhole) {
    session s;
    join(s, 1);
    messageQueue out;
    for (int i = 0; i < 5; ++i)
        out.push(numbered(20 + i, 8));
    networkMessage guaranteed = numbered(30, 64 * 1024);
    guaranteed.setGuaranteed(true);
    out.push(guaranteed);
    for (int i = 0; i < 5; ++i)
        out.push(numbered(40 + i, 8));
    out.push(numbered(50, 64 * 1024)); // unreliable, larger than a datagram
    s.host->sendMessages(out);
    const auto got = collect(*s.clients[0], 12);
    ASSERT_EQ(got.size(), 12u);
    const int expected[] = {20, 21, 22, 23, 24, 30, 40, 41, 42, 43, 44, 50};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(got[i].getType(), expected[i]);
    EXPECT_TRUE(isWhole(got[5], 64 * 1024));
    EXPECT_TRUE(isWhole(got[11], 64 * 1024));
}

TEST(NetworkTraffic, AnAddressedMessageReachesItsPlayerOnly) {
    session s;
    join(s, 2);
    messageQueue out;
    networkMessage addressed = numbered(7, 12);
    addressed.setDestination(s.ids[1]);
    out.push(addressed);
    out.push(numbered(8, 4)); // to everyone
    s.host->sendMessages(out);
    const auto second = collect(*s.clients[1], 2);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].getType(), 7);
    EXPECT_EQ(second[1].getType(), 8);
    const auto first = collect(*s.clients[0], 1);
    ASSERT_EQ(first.size(), 1u); // the broadcast came after the addressed one: nothing is missing
    EXPECT_EQ(first[0].getType(), 8);
}

TEST(NetworkTraffic, StoppingTheHostEndsTheSessionAfterWhatItSent) {
    session s;
    join(s, 1);
    messageQueue out;
    out.push(numbered(12, 24));
    s.host->sendMessages(out);
    s.host->stopHosting();
    EXPECT_FALSE(s.host->isConnected());
    arrivals got;
    ASSERT_TRUE(waitForEvent(*s.clients[0], got, networkEventKind::sessionEnded, WAIT_MS));
    ASSERT_EQ(got.messages.size(), 1u);
    EXPECT_EQ(got.messages[0].getType(), 12);
    ASSERT_EQ(got.events.size(), 1u);
    EXPECT_EQ(got.events[0].messagesBefore, 1);
    EXPECT_FALSE(s.clients[0]->isConnected());
    EXPECT_EQ(s.clients[0]->getEnd(), networkEnd::hostStopped);
}

// Sends are handed over one by one while the service thread is already busy
// with the first; the stop that follows must not overtake the rest.
TEST(NetworkTraffic, GuaranteedMessagesSentJustBeforeAStopAllArrive) {
    constexpr int COUNT = 100;
    session s;
    join(s, 2);
    messageQueue out;
    for (int i = 0; i < COUNT; ++i) {
        networkMessage message = numbered(100 + i, i == 0 ? 256 * 1024 : 16); // the first keeps it busy
        message.setGuaranteed(true);
        out.push(message);
    }
    messageQueue down = out;
    s.clients[1]->sendMessages(out);
    s.clients[1]->disconnect();
    arrivals atHost;
    ASSERT_TRUE(waitForEvent(*s.host, atHost, networkEventKind::playerLeft, WAIT_MS));
    ASSERT_EQ(atHost.messages.size(), size_t(COUNT));
    EXPECT_EQ(atHost.last(networkEventKind::playerLeft)->messagesBefore, COUNT);
    for (int i = 0; i < COUNT; ++i)
        EXPECT_EQ(atHost.messages[i].getType(), 100 + i);

    s.host->sendMessages(down);
    s.host->stopHosting();
    arrivals atClient;
    ASSERT_TRUE(waitForEvent(*s.clients[0], atClient, networkEventKind::sessionEnded, WAIT_MS));
    ASSERT_EQ(atClient.messages.size(), size_t(COUNT));
    EXPECT_EQ(atClient.events.back().messagesBefore, COUNT);
    for (int i = 0; i < COUNT; ++i)
        EXPECT_EQ(atClient.messages[i].getType(), 100 + i);
}
