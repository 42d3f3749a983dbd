#include "tests/networklib/nettesthelpers.h"

#include "core/littleendian.h"
#include "platform/net/netevents.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int WAIT_MS = 3000;

networkMessage messageWithPayload(int type, int size, uint8_t seed) {
    std::vector<uint8_t> payload(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i)
        payload[i] = static_cast<uint8_t>(seed + i);
    return networkMessage(type, payload.data(), size);
}

} // namespace

TEST(NetworkHost, HostsOnAPortAndFallsBackWhenItIsTaken) {
    const netGuid guid = testGuid();
    auto first = makeHost(guid);
    ASSERT_TRUE(first->isConnected());
    ASSERT_NE(first->getPort(), 0);
    networkHost second;
    second.setApplicationGuid(guid);
    second.setPort(first->getPort());
    second.initialise();
    second.startHosting();
    ASSERT_TRUE(second.isConnected());
    EXPECT_NE(second.getPort(), 0);
    EXPECT_NE(second.getPort(), first->getPort());
    second.stopHosting();
    EXPECT_FALSE(second.isConnected());
    EXPECT_EQ(second.getPort(), 0);
}

TEST(NetworkHost, JoinThenDataThenLeaveArriveAsAnEventMessagesAndAnEventWithItsReason) {
    auto host = makeHost(testGuid());
    auto client = makeClient(testGuid());
    ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, WAIT_MS));
    messageQueue out;
    out.push(messageWithPayload(10, 33, 1));
    client->sendMessages(out);
    EXPECT_FALSE(out.hasMessages());

    arrivals got;
    ASSERT_TRUE(waitForType(*host, got, 10, WAIT_MS));
    ASSERT_EQ(got.messages.size(), 1u); // the transport's events are not messages
    ASSERT_EQ(got.events.size(), 1u);
    EXPECT_EQ(got.events[0].kind, networkEventKind::playerJoined);
    EXPECT_EQ(got.events[0].messagesBefore, 0);
    EXPECT_EQ(got.events[0].address, NET_LOOPBACK_HOST); // where it connects from, for the game's limits
    const uint32_t id = got.events[0].playerID;
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(host->getPlayerCount(), 1u);
    EXPECT_EQ(got.messages[0].getPlayerID(), id);
    ASSERT_EQ(got.messages[0].getDataSize(), 33);
    EXPECT_EQ(got.messages[0].getData()[32], 33);

    client->disconnect();
    EXPECT_FALSE(client->isConnected());
    ASSERT_TRUE(waitForEvent(*host, got, networkEventKind::playerLeft, WAIT_MS));
    const networkEvent& left = got.events.back();
    EXPECT_EQ(left.kind, networkEventKind::playerLeft);
    EXPECT_EQ(left.playerID, id);
    EXPECT_EQ(left.reason, NET_REASON_NORMAL);
    EXPECT_EQ(left.messagesBefore, 1);
    EXPECT_EQ(host->getPlayerCount(), 0u);
}

TEST(NetworkHost, PlayerIdsAreNeverReused) {
    auto host = makeHost(testGuid());
    std::vector<uint32_t> ids;
    for (int round = 0; round < 2; ++round) {
        auto client = makeClient(testGuid());
        ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
        arrivals got;
        ASSERT_TRUE(waitForEvent(*host, got, networkEventKind::playerJoined, WAIT_MS));
        ids.push_back(got.events.back().playerID);
        client->disconnect();
        ASSERT_TRUE(waitForEvent(*host, got, networkEventKind::playerLeft, WAIT_MS));
    }
    EXPECT_EQ(ids, (std::vector<uint32_t>{1, 2}));
}

// A game that stops taking its messages for seconds (a dragged window, a
// breakpoint) is not a game that left: both ends keep their connection and
// what was sent meanwhile arrives.
TEST(NetworkConnection, GamesThatStopTakingMessagesForSecondsKeepTheirConnection) {
    auto host = makeHost(testGuid());
    auto client = makeClient(testGuid());
    ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
    arrivals atHost;
    ASSERT_TRUE(waitForEvent(*host, atHost, networkEventKind::playerJoined, WAIT_MS));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, WAIT_MS));
    messageQueue toHost;
    toHost.push(networkMessage(20, nullptr, 0));
    client->sendMessages(toHost);
    messageQueue toClient;
    toClient.push(networkMessage(21, nullptr, 0));
    host->sendMessages(toClient);

    // Longer than either end waits for a silent peer.
    std::this_thread::sleep_for(std::chrono::milliseconds(5000));

    arrivals atClient;
    EXPECT_TRUE(waitForType(*client, atClient, 21, WAIT_MS));
    EXPECT_TRUE(waitForType(*host, atHost, 20, WAIT_MS));
    EXPECT_TRUE(client->isConnected());
    EXPECT_EQ(client->getEnd(), networkEnd::none);
    EXPECT_EQ(host->getPlayerCount(), 1u);
    EXPECT_EQ(atHost.count(networkEventKind::playerLeft), 0);
}

// The game waits while "!isConnected() && !isConnecting()" is false; that
// must hold without a gap from the connect until the connection is up, and a
// disconnect that races the connect's completion must still leave the client
// unconnected.
TEST(NetworkClient, ConnectingHandsOverToConnectedWithoutAGap) {
    auto host = makeHost(testGuid());
    for (int round = 0; round < 20; ++round) {
        auto client = makeClient(testGuid());
        ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
        bool sawGap = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WAIT_MS);
        while (!client->isConnected() && !sawGap && std::chrono::steady_clock::now() < deadline)
            sawGap = !client->isConnected() && !client->isConnecting();
        EXPECT_FALSE(sawGap) << "round " << round;
        EXPECT_TRUE(client->isConnected()) << "round " << round;

        auto hasty = makeClient(testGuid());
        ASSERT_TRUE(hasty->connectTo(loopbackAddress(*host)));
        hasty->disconnect();
        EXPECT_FALSE(hasty->isConnected()) << "round " << round;
        EXPECT_FALSE(hasty->isConnecting()) << "round " << round;
    }
}

TEST(NetworkConnection, ReceiveReplacesTheCallersQueueAndEmptiesTheConnection) {
    auto host = makeHost(testGuid());
    messageQueue queue;
    for (int i = 0; i < 5; ++i)
        queue.push(networkMessage(50 + i, nullptr, 0));
    std::vector<networkEvent> events(3);
    host->receiveMessages(queue, events);
    EXPECT_FALSE(queue.hasMessages()); // nothing arrived
    EXPECT_TRUE(events.empty());

    auto client = makeClient(testGuid());
    ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, WAIT_MS));
    queue.push(networkMessage(99, nullptr, 0));
    arrivals got;
    ASSERT_TRUE(waitForEvent(*host, got, networkEventKind::playerJoined, WAIT_MS)); // drained into got
    queue.push(networkMessage(99, nullptr, 0));
    events.resize(3);
    host->receiveMessages(queue, events);
    EXPECT_FALSE(queue.hasMessages()); // the old contents went, nothing new came
    EXPECT_TRUE(events.empty());

    messageQueue empty;
    host->sendMessages(empty); // sends nothing
    EXPECT_FALSE(empty.hasMessages());
}

TEST(NetworkConnection, MisuseIsReportedWithTheFixedTexts) {
    assertionCapture capture;
    networkHost host;
    host.initialise();
    host.send(networkMessage(8, nullptr, 0));
    EXPECT_TRUE(capture.saw("Host or Peer MUST be set up"));
    EXPECT_TRUE(capture.saw("( this->m_server != NULL )"));
    EXPECT_TRUE(capture.saw("networklib/networkhost"));

    networkClient client;
    client.send(networkMessage(9, nullptr, 0));
    EXPECT_TRUE(capture.saw("Client MUST be set up"));
    EXPECT_TRUE(capture.saw("( this->m_client != NULL )"));

    EXPECT_EQ(capture.reports().size(), 2u);
    messageQueue queue;
    std::vector<networkEvent> events;
    host.receiveMessages(queue, events);
    EXPECT_FALSE(queue.hasMessages());
}
