#include "platform/net/netinbox.h"
#include "platform/net/netoutbox.h"
#include "platform/net/netprotocol.h"
#include "tests/networklib/nettesthelpers.h"

#include <gtest/gtest.h>

namespace {

constexpr int WAIT_MS = 10000;

int countFrom(const std::vector<networkMessage>& all, uint32_t sender, int type) {
    int count = 0;
    for (const networkMessage& message : all)
        count += (message.getPlayerID() == sender && message.getType() == type) ? 1 : 0;
    return count;
}

netOutgoing packetOf(size_t size) {
    netOutgoing packet;
    packet.bytes.resize(size);
    return packet;
}

} // namespace

// A player that floods a host whose game does not take its queue fills only
// its own share of it; the player's leaving still reaches the game.
TEST(NetworkBounds, AFloodingPlayerIsHeldToItsShareOfTheQueue) {
    auto host = makeHost(testGuid());
    auto client = makeClient(testGuid());
    ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
    arrivals arrived;
    ASSERT_TRUE(waitForEvent(*host, arrived, networkEventKind::playerJoined, WAIT_MS));
    const uint32_t player = arrived.events.back().playerID;

    constexpr int SENT = NET_INBOX_MAX_MESSAGES_PER_SENDER + 1000;
    const uint8_t payload[8] = {};
    for (int i = 0; i < SENT; ++i) {
        networkMessage message(9, payload, sizeof(payload));
        message.setGuaranteed(true);
        messageQueue queue;
        queue.push(message);
        client->sendMessages(queue);
    }
    ASSERT_TRUE(waitUntil([&] { return host->getDroppedCount() == SENT - NET_INBOX_MAX_MESSAGES_PER_SENDER; },
                          WAIT_MS))
        << host->getDroppedCount();
    client->disconnect();
    ASSERT_TRUE(waitForEvent(*host, arrived, networkEventKind::playerLeft, WAIT_MS));
    EXPECT_EQ(countFrom(arrived.messages, player, 9), NET_INBOX_MAX_MESSAGES_PER_SENDER);
}

TEST(NetworkBounds, AFullOutboxRefusesInsteadOfGrowing) {
    netOutbox outbox;
    size_t accepted = 0;
    while (accepted < NET_OUTBOX_MAX_PACKETS + 10 && outbox.post(packetOf(3)))
        ++accepted;
    EXPECT_EQ(accepted, NET_OUTBOX_MAX_PACKETS);
    std::vector<netOutgoing> taken;
    outbox.take(taken);
    EXPECT_EQ(taken.size(), NET_OUTBOX_MAX_PACKETS);

    // Bytes count too: the largest packets fill it long before the count does.
    accepted = 0;
    while (accepted < NET_OUTBOX_MAX_PACKETS && outbox.post(packetOf(NET_MAX_PACKET_SIZE)))
        ++accepted;
    EXPECT_EQ(accepted, NET_OUTBOX_MAX_BYTES / NET_MAX_PACKET_SIZE);
    // A disconnect still goes in.
    netOutgoing disconnect;
    disconnect.disconnect = true;
    EXPECT_TRUE(outbox.post(disconnect));
}

// Each sender fills only its own share; the transport's events always go in,
// and a take frees every share.
TEST(NetworkBounds, TheInboxHoldsEachSenderToItsShareButKeepsEveryEvent) {
    netInbox inbox;
    auto data = [](uint32_t sender, size_t size) {
        netIncoming event;
        event.player = sender;
        event.bytes.resize(size);
        return event;
    };
    int accepted = 0;
    while (accepted <= NET_INBOX_MAX_MESSAGES_PER_SENDER && inbox.post(data(1, 1)))
        ++accepted;
    EXPECT_EQ(accepted, NET_INBOX_MAX_MESSAGES_PER_SENDER);
    EXPECT_TRUE(inbox.post(data(2, 1)));
    EXPECT_FALSE(inbox.post(data(2, NET_INBOX_MAX_BYTES_PER_SENDER)));
    EXPECT_TRUE(inbox.post(netIncoming{netEventKind::playerLeft, 1, 0, {}}));
    EXPECT_EQ(inbox.getDroppedCount(), 2u);

    std::vector<netIncoming> taken;
    inbox.take(taken);
    ASSERT_EQ(taken.size(), static_cast<size_t>(accepted) + 2);
    EXPECT_EQ(taken.back().kind, netEventKind::playerLeft);
    EXPECT_TRUE(inbox.post(data(1, NET_INBOX_MAX_BYTES_PER_SENDER)));
}
