// What an evening of play throws at the connections: peers that imitate the
// transport's events, a full game, crowds of half-open connects and a poor link.

#include "tests/networklib/lossyrelay.h"
#include "tests/networklib/nettesthelpers.h"

#include "platform/net/netclient.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netevents.h"
#include "platform/net/netsearch.h"
#include "platform/net/netsettings.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int WAIT_MS = 3000;
constexpr int DROP_DEADLINE_MS = 5000; // a vanished peer is dropped within this
constexpr int HALF_OPEN_BURST = 64;

int countType(const arrivals& all, int type) {
    int count = 0;
    for (const networkMessage& message : all.messages)
        count += message.getType() == type ? 1 : 0;
    return count;
}

networkMessage typed(int type, int size) {
    const std::vector<uint8_t> payload(static_cast<size_t>(size), 1);
    return networkMessage(type, payload.data(), size);
}

// The datagram that opens an ENet connection and is never followed up:
// header with sent time, then one connect command, big-endian.
std::vector<uint8_t> connectDatagram(uint32_t connectID) {
    std::vector<uint8_t> bytes;
    auto u8 = [&](uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); };
    auto u16 = [&](uint32_t v) {
        u8(v >> 8);
        u8(v);
    };
    auto u32 = [&](uint32_t v) {
        u16(v >> 16);
        u16(v & 0xFFFF);
    };
    u16(0x8000 | 0x0FFF); // no peer yet, sent time present
    u16(0);               // sent time
    u8(2 | 0x80);         // connect, acknowledge wanted
    u8(0xFF);             // channel
    u16(1);               // reliable sequence number
    u16(0);               // outgoing peer id
    u8(0);
    u8(0);
    u32(1400);  // mtu
    u32(32768); // window size
    u32(1);     // channels
    u32(0);
    u32(0);
    u32(5000); // throttle interval
    u32(2);
    u32(2);
    u32(connectID);
    u32(NET_PROTOCOL_VERSION);
    return bytes;
}

} // namespace

// Messages of the types the log shows events under stay messages of their
// sender: only the transport makes events.
TEST(NetworkParty, PeersCannotForgeTheTransportsEvents) {
    const netGuid guid = testGuid();
    auto host = makeHost(guid);
    auto client = makeClient(guid);
    ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, WAIT_MS));
    for (const auto& [type, size] : std::vector<std::pair<int, int>>{{1, 4}, {2, 8}, {3, 0}, {5, 32}})
        client->send(typed(type, size));
    arrivals atHost;
    ASSERT_TRUE(waitForType(*host, atHost, 5, WAIT_MS));
    ASSERT_EQ(atHost.events.size(), 1u); // the transport's own report of the connect
    EXPECT_EQ(atHost.events[0].kind, networkEventKind::playerJoined);
    ASSERT_EQ(atHost.messages.size(), 4u);
    EXPECT_EQ(atHost.messages[0].getPlayerID(), atHost.events[0].playerID);

    messageQueue forged;
    forged.push(typed(3, 0));
    forged.push(typed(7, 61));
    host->sendMessages(forged);
    arrivals atClient;
    ASSERT_TRUE(waitForType(*client, atClient, 7, WAIT_MS));
    EXPECT_TRUE(atClient.events.empty());
    EXPECT_TRUE(client->isConnected());
    EXPECT_EQ(client->getEnd(), networkEnd::none);
}

TEST(NetworkParty, ARefusedPlayerLearnsWhy) {
    const netGuid guid = testGuid();
    auto host = makeHost(guid);
    for (const auto& [reason, end] : std::vector<std::pair<networkDropReason, networkEnd>>{
             {networkDropReason::gameFull, networkEnd::gameFull},
             {networkDropReason::notJoined, networkEnd::notJoined}}) {
        auto client = makeClient(guid);
        ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
        arrivals atHost;
        ASSERT_TRUE(waitForEvent(*host, atHost, networkEventKind::playerJoined, WAIT_MS));
        host->dropPlayer(atHost.events.back().playerID, reason);
        arrivals atClient;
        ASSERT_TRUE(waitForEvent(*client, atClient, networkEventKind::sessionEnded, WAIT_MS));
        EXPECT_FALSE(client->isConnected());
        EXPECT_EQ(client->getEnd(), end);
        EXPECT_TRUE(
            waitForEvent(*host, atHost, networkEventKind::playerLeft, WAIT_MS)); // and the host lets it go
    }
}

TEST(NetworkParty, DiscoveryCountsPlayersAndSearchersPassOverFullGames) {
    const netGuid guid = testGuid();
    networkHost host;
    host.setApplicationGuid(guid);
    host.setPort(0);
    host.setMaxPlayers(8);
    host.initialise();
    host.startHosting();
    ASSERT_TRUE(host.isConnected());

    auto client = makeClient(guid);
    client->enumerateHosts();
    std::vector<std::string> names;
    client->getSessions(names);
    EXPECT_EQ(names.size(), 1u);
    host.setJoinedPlayers(8);
    auto another = makeClient(guid);
    another->enumerateHosts();
    another->getSessions(names);
    EXPECT_TRUE(names.empty());

    host.setJoinedPlayers(3);
    netClient raw;
    ASSERT_TRUE(raw.initialise());
    const std::vector<netHostAnswer> seen =
        raw.enumerateHosts(guid, getDiscoveryTargets(), getDiscoveryPort(), NET_DISCOVERY_WINDOW_MS);
    // One answer to each of the search's queries.
    ASSERT_EQ(seen.size(), static_cast<size_t>(NET_SEARCH_QUERIES));
    for (const netHostAnswer& answer : seen) {
        EXPECT_EQ(answer.applicationDesc.currentPlayers, 3u);
        EXPECT_EQ(answer.applicationDesc.maxPlayers, 8u);
    }
}

TEST(NetworkParty, HalfOpenConnectsCannotLockTheDoor) {
    const netGuid guid = testGuid();
    auto host = makeHost(guid);
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(NET_LOOPBACK_HOST);
    to.sin_port = htons(host->getPort());
    for (uint32_t i = 0; i < HALF_OPEN_BURST; ++i) {
        const std::vector<uint8_t> bytes = connectDatagram(0x5EED0000u + i);
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    }
    auto newcomer = makeClient(guid);
    ASSERT_TRUE(newcomer->connectTo(loopbackAddress(*host)));
    EXPECT_TRUE(waitUntil([&] { return newcomer->isConnected(); }, DROP_DEADLINE_MS));
    arrivals atHost;
    EXPECT_TRUE(waitForEvent(*host, atHost, networkEventKind::playerJoined, WAIT_MS));
    EXPECT_EQ(atHost.count(networkEventKind::playerJoined), 1); // the half-open ones never became players
    close(fd);
}

// Joining, playing and leaving through a link with 50 ms of delay and 5 %
// loss each way; then a peer that vanishes is noticed at both ends in time.
TEST(NetworkParty, APoorLinkPlaysAndAVanishedPeerIsDroppedInTime) {
    const netGuid guid = testGuid();
    auto host = makeHost(guid);
    netAddress target{NET_LOOPBACK_HOST, host->getPort()};
    for (const bool leaves : {true, false}) {
        lossyRelay relay(target, 50, 5, leaves ? 7u : 8u);
        ASSERT_TRUE(relay.isRunning());
        auto client = makeClient(guid);
        ASSERT_TRUE(client->connectTo("127.0.0.1:" + std::to_string(relay.getPort())));
        ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, 2 * WAIT_MS));
        arrivals atHost;
        arrivals atClient;
        // Play: a stream of input each way until enough has crossed.
        ASSERT_TRUE(waitUntil(
            [&] {
                client->send(typed(9, 5));
                messageQueue fromHost;
                fromHost.push(typed(8, 37));
                host->sendMessages(fromHost);
                drain(*host, atHost);
                drain(*client, atClient);
                return countType(atHost, 9) >= 100 && countType(atClient, 8) >= 100;
            },
            4 * WAIT_MS));
        if (leaves) {
            client->disconnect();
            EXPECT_TRUE(waitForEvent(*host, atHost, networkEventKind::playerLeft, DROP_DEADLINE_MS));
            continue;
        }
        relay.setBlackhole(true);
        EXPECT_TRUE(waitForEvent(*host, atHost, networkEventKind::playerLeft, DROP_DEADLINE_MS));
        EXPECT_TRUE(waitForEvent(*client, atClient, networkEventKind::sessionEnded, DROP_DEADLINE_MS));
        EXPECT_EQ(client->getEnd(), networkEnd::connectionLost);
    }
}
