#include "core/littleendian.h"
#include "core/random.h"
#include "game/client/zebgamestatecollector.h"
#include "game/common/hostedlevel.h"
#include "game/server/zebhostedgamestate.h"
#include "platform/net/netclient.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netprotocol.h"
#include "platform/net/netsettings.h"
#include "platform/net/netsocket.h"
#include "tests/game/harmlesslevel.h"
#include "tests/networklib/nettesthelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

// A real networkHost and ZEBHostedGameState on loopback, attacked group by group
// by peers that send what they like. After every group a legitimate player
// whose ship changes every tick is still served every tick, and the process's
// memory stays within a bound.
namespace {

// Bounds for a fault, not measurements: a loaded machine (a sanitizer build
// beside others) may take seconds where an idle one takes a millisecond.
constexpr int WAIT_MS = 20000;
constexpr int ATTACK_TICK_MS = 1000; // paces a tick during an attack, whose updates nobody counts
constexpr float TICK = 1.0f / 45.0f;
constexpr int SERVED_TICKS = 45;
constexpr int MISSED_TICKS_ALLOWED = 2;
#if defined(__SANITIZE_ADDRESS__)
constexpr long MEMORY_GROWTH_LIMIT_KB = 1024 * 1024; // the sanitizer quarantines what is freed
#else
constexpr long MEMORY_GROWTH_LIMIT_KB = 192 * 1024;
#endif

std::vector<uint8_t> randomBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random15());
    return bytes;
}

std::vector<uint8_t> wireOf(const networkMessage& message) {
    return std::vector<uint8_t>(message.getWireBuffer(), message.getWireBuffer() + message.getWireSize());
}

std::vector<uint8_t> typed(int32_t type, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> wire(MESSAGE_TYPE_SIZE + payload.size());
    writeI32(wire.data(), type);
    std::copy(payload.begin(), payload.end(), wire.begin() + MESSAGE_TYPE_SIZE);
    return wire;
}

// A peer on the transport alone, which sends any bytes, with any connect data.
class rawPeer {
  public:
    rawPeer() { m_client.initialise(); }
    bool connect(const netAddress& address, uint32_t version = NET_PROTOCOL_VERSION) {
        return m_client.connect(address, version);
    }
    bool waitConnected() {
        return waitUntil([this] { return m_client.isConnected() || hasEnded(); }, WAIT_MS) &&
               m_client.isConnected();
    }
    bool waitEnded() {
        return waitUntil([this] { return hasEnded(); }, WAIT_MS);
    }
    void send(const std::vector<uint8_t>& bytes, bool reliable = true) {
        m_client.send(bytes.data(), bytes.size(), reliable);
    }
    void close() { m_client.close(); }

  private:
    bool hasEnded() {
        m_client.takeEvents(m_events);
        for (const netIncoming& event : m_events)
            m_ended = m_ended || event.kind == netEventKind::sessionEnded ||
                      (event.kind == netEventKind::connected && event.detail != NET_OK);
        return m_ended;
    }

    netClient m_client;
    std::vector<netIncoming> m_events;
    bool m_ended = false;
};

class hostilePeers : public ::testing::Test {
  protected:
    void SetUp() override {
        seedRandom(13);
        // Asteroids that can hit nothing: the legitimate player's ship must
        // stay in play for the test to see whether it is still served.
        const char* level = "hostile_harmless_level.xml";
        std::FILE* file = std::fopen(level, "w");
        ASSERT_NE(file, nullptr);
        std::fputs(HARMLESS_LEVEL, file);
        std::fclose(file);
        hostLevel(loadLevel(level), m_game, m_shapes);
        m_game.createAsteroids();
        m_host = makeHost(testGuid());
        ASSERT_TRUE(m_host->isConnected());
        ASSERT_TRUE(parseAddress(loopbackAddress(*m_host), 0, m_address));

        m_player = makeClient(testGuid());
        // A copy served every tick: one that takes reports batches what can wait.
        m_collector.setAnnounced(OWN_CAPABILITIES & ~CAPABILITY_UPLINK);
        ASSERT_TRUE(m_player->connectTo(loopbackAddress(*m_host)));
        ASSERT_TRUE(waitUntil(
            [this] {
                tick();
                return m_collector.hasJoined();
            },
            WAIT_MS));
        m_memoryAtStart = residentKilobytes();
    }

    // One host tick, then frames of the legitimate player until one brings
    // the update of the player's ship from this tick, for at most waitMs;
    // true when it came. The player turns one way and then the other, a
    // change of controls every tick, so the host owes it an update every tick.
    bool tick(int waitMs = ATTACK_TICK_MS) {
        ++m_ticks;
        PlayerInput wiggle;
        wiggle.left = m_wiggleLeft;
        wiggle.right = !m_wiggleLeft;
        m_wiggleLeft = !m_wiggleLeft;
        m_collector.setInput(wiggle);
        messageQueue received;
        std::vector<networkEvent> events;
        messageQueue toSend;
        m_host->receiveMessages(received, events);
        m_game.tick(TICK, m_shapes, received, events, toSend);
        m_host->sendMessages(toSend);
        bool served = false;
        waitUntil(
            [&] {
                messageQueue arrived;
                m_player->receiveMessages(arrived);
                served = served || carriesOwnShip(arrived);
                messageQueue out;
                m_collector.update(TICK, arrived, out);
                m_player->sendMessages(out);
                return served || !m_collector.hasJoined();
            },
            waitMs);
        return served;
    }
    // An update of its ship, as a message of its own or an entry of the compact stream.
    bool carriesOwnShip(messageQueue arrived) const {
        while (arrived.hasMessages()) {
            ElementUpdate update;
            uint16_t sequence = 0;
            std::vector<CompactEntry> entries;
            const networkMessage message = arrived.pop();
            if (message.getType() == MSG_ELEMENT_UPDATE &&
                readElementUpdate(message.getData(), message.getDataSize(), &update) &&
                update.elementID == m_collector.getOwnIndex())
                return true;
            if (message.getType() == MSG_COMPACT_STATE &&
                readCompactState(message.getData(), message.getDataSize(), &sequence, &entries) &&
                std::any_of(entries.begin(), entries.end(), [this](const CompactEntry& entry) {
                    return entry.kind == compactKind::motion && entry.id == m_collector.getOwnIndex();
                }))
                return true;
        }
        return false;
    }

    // After a group: the legitimate player is served every tick, the game
    // keeps its limits and memory its bound.
    void expectStillServed(const char* group) {
        // What the attack left in flight arrives first and is not this check's.
        for (int t = 0; t < 3; ++t)
            tick();
        // A tick whose update does not come within WAIT_MS is missed; a few
        // misses past the allowance show the fault, so the check stops there.
        int served = 0;
        for (int t = 0; t < SERVED_TICKS && t - served <= MISSED_TICKS_ALLOWED; ++t)
            served += tick(WAIT_MS) ? 1 : 0;
        EXPECT_TRUE(m_collector.hasJoined()) << group;
        EXPECT_GE(served, SERVED_TICKS - MISSED_TICKS_ALLOWED)
            << group << (m_game.getElement(m_game.getPlayer(0).shipID).isVisible() ? "" : ", ship hidden");
        EXPECT_LE(m_game.getPlayerCount(), MAX_PLAYERS) << group;
        EXPECT_TRUE(m_game.getPlayer(0).connected) << group;
        const vector3 ship = m_game.getElement(m_game.getPlayer(0).shipID).getPosition();
        EXPECT_TRUE(std::isfinite(ship.x) && std::isfinite(ship.y)) << group;
        EXPECT_LT(residentKilobytes() - m_memoryAtStart, MEMORY_GROWTH_LIMIT_KB) << group;
    }

    // A raw peer that has joined the game as a player.
    std::unique_ptr<rawPeer> joinedRawPeer() {
        auto peer = std::make_unique<rawPeer>();
        EXPECT_TRUE(peer->connect(m_address));
        EXPECT_TRUE(peer->waitConnected());
        const int players = m_game.getPlayerCount();
        peer->send(
            wireOf(writeAnnouncingJoinRequest("Raw", OWN_CAPABILITIES))); // the host reads every extension
        if (players < MAX_PLAYERS) {
            EXPECT_TRUE(waitUntil(
                [&] {
                    tick();
                    return m_game.getPlayerCount() > players;
                },
                WAIT_MS));
        }
        return peer;
    }

    std::vector<ZEBObject> m_shapes;
    ZEBHostedGameState m_game;
    std::unique_ptr<networkHost> m_host;
    netAddress m_address;
    std::unique_ptr<networkClient> m_player;
    ZEBGameStateCollector m_collector;
    bool m_wiggleLeft = true;
    long m_memoryAtStart = 0;
    int m_ticks = 0; // host ticks so far: the game's clock in TICKs
};

TEST_F(hostilePeers, MalformedMessagesOfEveryTypeAndSize) {
    auto peer = joinedRawPeer();
    const size_t sizes[] = {0, 1, 3, 4, 5, 8, 24, 31, 32, 33, 36, 37, 38, 60, 61, 62, 64, 117, 200, 4096};
    for (int32_t type = -2; type <= MSG_COMPACT_REPORT + 1; ++type) {
        for (const size_t size : sizes) {
            peer->send(typed(type, randomBytes(size)), (size & 1) != 0);
            peer->send(typed(type, std::vector<uint8_t>(size, 0xFF)));
        }
        tick();
    }
    for (size_t size = 0; size < MESSAGE_TYPE_SIZE; ++size)
        peer->send(randomBytes(size)); // shorter than a type
    tick();
    expectStillServed("malformed");
}

TEST_F(hostilePeers, ForgedTypesOtherPlayersIdsNaNAndHugeValues) {
    auto peer = joinedRawPeer();
    const uint32_t victim = 1; // the legitimate player joined first
    const int victimShip = m_game.getPlayer(0).shipID;
    // The numbers of the transport's events, sent by a peer.
    std::vector<uint8_t> victimAndReason(8, 0);
    writeU32(victimAndReason.data(), victim);
    writeU32(victimAndReason.data() + 4, 1);
    peer->send(typed(MSG_PLAYER_DESTROYED, victimAndReason));
    peer->send(typed(MSG_PLAYER_CREATED, {victimAndReason.begin(), victimAndReason.begin() + 4}));
    peer->send(typed(MSG_SESSION_TERMINATED, {}));
    // The server's messages sent to the server.
    peer->send(wireOf(writeFullState(std::vector<ZEBGameStateElement>(3), 0)));
    peer->send(wireOf(writeNewElement(m_game.getElement(0))));
    // The victim's ship, moved by another player.
    ZEBGameStateElement ship = m_game.getElement(victimShip);
    ship.setPosition(vector3(5.0f, 5.0f, 0.0f));
    peer->send(wireOf(writePlayerState(ship)));
    // Its own ship with values that are not numbers or far too large.
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         3.4e38f, -3.4e38f, 1e30f};
    for (int p = 1; p < m_game.getPlayerCount(); ++p) {
        for (const float value : bad) {
            ZEBGameStateElement own = m_game.getElement(m_game.getPlayer(p).shipID);
            own.setPosition(vector3(value, value, value));
            own.setVelocity(vector3(value, -value, 0.0f));
            own.setRotation(value);
            peer->send(wireOf(writePlayerState(own)));
            tick();
        }
    }
    expectStillServed("forged");
    const vector3 where = m_game.getElement(victimShip).getPosition();
    EXPECT_FALSE(where.x == 5.0f && where.y == 5.0f);
}

TEST_F(hostilePeers, BadConnectDataIsRefused) {
    const int before = m_game.getPlayerCount();
    for (const uint32_t version : {0u, 2u, 0xFFFFFFFFu}) {
        rawPeer peer;
        ASSERT_TRUE(peer.connect(m_address, version));
        EXPECT_TRUE(peer.waitEnded()) << version;
        tick();
    }
    EXPECT_EQ(m_game.getPlayerCount(), before);
    expectStillServed("connect data");
}

TEST_F(hostilePeers, PacketsFrom64KilobytesTo3Megabytes) {
    auto peer = joinedRawPeer();
    for (const size_t size : {size_t{64} * 1024, size_t{512} * 1024, NET_MAX_PACKET_SIZE - 4,
                              NET_MAX_PACKET_SIZE + 1, size_t{3} * 1024 * 1024}) {
        peer->send(typed(MSG_PLAYER_STATE, randomBytes(size)));
        peer->send(typed(MSG_JOIN_REQUEST, randomBytes(size)), false);
        for (int t = 0; t < 5; ++t)
            tick();
    }
    expectStillServed("large packets");
}

TEST_F(hostilePeers, ConnectionFloodPastThePeerLimitThenJoinAndLeaveChurn) {
    std::vector<std::unique_ptr<rawPeer>> flood;
    for (size_t i = 0; i < NET_MAX_PEERS + 8; ++i) {
        flood.push_back(std::make_unique<rawPeer>());
        flood.back()->connect(m_address);
    }
    int connected = 0;
    for (auto& peer : flood) {
        if (peer->waitConnected()) {
            ++connected;
            peer->send(wireOf(writeJoinRequest("Flood")));
        }
        tick();
    }
    EXPECT_LT(connected, static_cast<int>(NET_MAX_PEERS));
    expectStillServed("connection flood");
    flood.clear();

    for (int cycle = 0; cycle < 30; ++cycle) {
        auto peer = joinedRawPeer();
        tick();
        peer->close();
        tick();
    }
    expectStillServed("churn");
}

TEST_F(hostilePeers, APlayerThatStopsReadingHoldsOnlyItsShare) {
    auto silent = makeClient(testGuid());
    ASSERT_TRUE(silent->connectTo(loopbackAddress(*m_host)));
    ASSERT_TRUE(waitUntil([&] { return silent->isConnected(); }, WAIT_MS));
    messageQueue join;
    join.push(writeJoinRequest("Silent"));
    silent->sendMessages(join);
    // The host broadcasts to it every tick until it holds more than its share.
    EXPECT_TRUE(waitUntil(
        [&] {
            messageQueue toSend;
            for (int i = 0; i < 20; ++i)
                toSend.push(writeExplosion(Explosion{0, 0.1f, ZERO, 0.0f}));
            m_host->sendMessages(toSend);
            tick();
            return silent->getDroppedCount() > 0;
        },
        WAIT_MS));
    expectStillServed("stops reading");
}

TEST_F(hostilePeers, DiscoveryFloodsAndGarbage) {
    const int fd = openDiscoveryQuerySocket();
    ASSERT_GE(fd, 0);
    discoveryQuery query;
    query.applicationGuid = testGuid();
    const std::vector<uint8_t> bytes = encodeDiscoveryQuery(query);
    const netAddress discovery{NET_LOOPBACK_HOST, getDiscoveryPort()};
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 50; ++i) {
            sendDatagram(fd, discovery, bytes);
            sendDatagram(fd, discovery, randomBytes(static_cast<size_t>(random15() % 600)));
            sendDatagram(fd, m_address, randomBytes(static_cast<size_t>(random15() % 1400)));
        }
        tick();
    }
    closeSocket(fd);
    expectStillServed("discovery");
}

// About 300 queries a second from 16 ports of this machine's address (on a
// LAN, a forged source is enough) use up what the address is answered; a
// search's first query, from a port of its own, is answered all the same.
TEST_F(hostilePeers, AQueryFloodFromSixteenPortsCannotStarveANewSearch) {
    discoveryQuery query;
    query.applicationGuid = testGuid();
    const std::vector<uint8_t> bytes = encodeDiscoveryQuery(query);
    const netAddress discovery{NET_LOOPBACK_HOST, getDiscoveryPort()};
    std::vector<int> flood;
    for (int port = 0; port < 16; ++port)
        flood.push_back(openDiscoveryQuerySocket());
    size_t sent = 0;
    const auto floodFor = [&](int queries) {
        for (int i = 0; i < queries; ++i)
            sendDatagram(flood[sent++ % flood.size()], discovery, bytes);
    };
    // Three seconds of it, paced, and a search every 0.3 s from a new port. The
    // flood spends the address's budget about halfway through each second.
    std::vector<int> searches;
    for (int step = 0; step < 300; ++step) {
        floodFor(3);
        if (step % 30 == 15) {
            searches.push_back(openDiscoveryQuerySocket());
            sendDatagram(searches.back(), discovery, bytes);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    size_t answered = 0;
    for (const int fd : searches) {
        uint8_t buffer[DISCOVERY_ANSWER_MAX_SIZE + 1];
        netAddress from;
        discoveryAnswer answer;
        const long size = waitReadable(fd, WAIT_MS) ? receiveDatagram(fd, buffer, sizeof(buffer), from) : -1;
        answered += size > 0 && decodeDiscoveryAnswer(buffer, static_cast<size_t>(size), answer) ? 1 : 0;
        closeSocket(fd);
    }
    for (const int fd : flood)
        closeSocket(fd);
    EXPECT_EQ(answered, searches.size());
    expectStillServed("starving flood");
}

// Copies of one address join as watchers named as the host, say three lines
// each and leave, eight at a time: the player's screen gets the address's
// share of lines, none under the host's name, and no watcher is listed so.
TEST_F(hostilePeers, WatchersThatComeAndGoAsTheHostCannotFloodTheChat) {
    const uint32_t announced = CAPABILITY_CHAT | CAPABILITY_WATCH | ANNOUNCE_WATCHING;
    const std::vector<uint8_t> join = wireOf(writeAnnouncingJoinRequest(CHAT_HOST_NAME, announced));
    const std::vector<uint8_t> zeroName = wireOf(writeAnnouncingJoinRequest("", announced));
    const int startTicks = m_ticks;
    std::vector<ChatLine> heard;
    std::vector<std::string> listed;
    const auto collect = [&] {
        tick();
        const std::vector<std::string>& names = m_collector.getWatchers();
        listed.insert(listed.end(), names.begin(), names.end());
        std::vector<ChatLine> lines;
        m_collector.takeChatLines(lines);
        heard.insert(heard.end(), lines.begin(), lines.end());
    };
    for (int wave = 0; wave < 6; ++wave) {
        std::vector<std::unique_ptr<rawPeer>> peers;
        for (int i = 0; i < 8; ++i) {
            peers.push_back(std::make_unique<rawPeer>());
            ASSERT_TRUE(peers.back()->connect(m_address));
            ASSERT_TRUE(peers.back()->waitConnected());
            peers.back()->send(i == 0 ? zeroName : join);
        }
        ASSERT_TRUE(waitUntil(
            [&] {
                tick();
                return m_game.getWatcherCount() == 8;
            },
            WAIT_MS));
        for (auto& peer : peers) {
            for (const char* text : {"Server restarting", "join Evil Game", "now"})
                peer->send(typed(MSG_CHAT_SAY, std::vector<uint8_t>(text, text + std::strlen(text))));
        }
        // The first lines prove the host relays; later waves get a few ticks
        // each, which on loopback is far longer than their lines take.
        ASSERT_TRUE(waitUntil(
            [&] {
                collect();
                return wave > 0 || !heard.empty();
            },
            WAIT_MS));
        for (int t = 0; t < 10; ++t)
            collect();
        for (auto& peer : peers)
            peer->close();
        ASSERT_TRUE(waitUntil(
            [&] {
                tick();
                return m_game.getWatcherCount() == 0;
            },
            WAIT_MS));
    }
    const double seconds = (m_ticks - startTicks) * static_cast<double>(TICK);
    const int windows = static_cast<int>(seconds / CHAT_WINDOW) + 1;
    EXPECT_GT(heard.size(), 0u);
    EXPECT_LE(heard.size(), static_cast<size_t>(windows * CHAT_ADDRESS_LINES_PER_WINDOW)) << seconds << " s";
    for (const ChatLine& line : heard) {
        EXPECT_STRNE(line.name, CHAT_HOST_NAME);
        EXPECT_STRNE(line.name, "");
        EXPECT_EQ(line.senderID, CHAT_FROM_WATCHER);
    }
    EXPECT_FALSE(listed.empty());
    for (const std::string& name : listed)
        EXPECT_EQ(name, STAND_IN_NAME);
    expectStillServed("chat flood");
}

// 5,000 queries a second from 2,000 ports of this machine's address, more
// ports than the host can remember at once before: a search, as `zeb
// --status` makes it, still finds the game every time.
TEST_F(hostilePeers, AFloodFromTwoThousandPortsCannotHideTheGame) {
    constexpr int PORTS = 2000;
    constexpr int QUERIES_PER_STEP = 50; // every 10 ms
    constexpr int STEPS_MAX = 6000;      // a minute at most, whatever happens to the test
    constexpr int SEARCHES = 10;
    discoveryQuery query;
    query.applicationGuid = testGuid();
    const std::vector<uint8_t> bytes = encodeDiscoveryQuery(query);
    const netAddress discovery{NET_LOOPBACK_HOST, getDiscoveryPort()};
    std::vector<int> ports;
    for (int i = 0; i < PORTS; ++i)
        ports.push_back(openDiscoveryQuerySocket());
    ASSERT_EQ(std::count(ports.begin(), ports.end(), NET_NO_SOCKET), 0);
    std::atomic<bool> flooding{true};
    std::atomic<size_t> sent{0};
    std::thread flood([&] {
        for (int step = 0; flooding && step < STEPS_MAX; ++step) {
            for (int i = 0; i < QUERIES_PER_STEP; ++i)
                sendDatagram(ports[sent++ % ports.size()], discovery, bytes);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    // Every port of the flood has been heard before the first search.
    EXPECT_TRUE(waitUntil([&] { return sent >= 3 * PORTS; }, 30000));
    int found = 0;
    for (int search = 0; search < SEARCHES; ++search) {
        auto searching = makeClient(testGuid());
        searching->enumerateHosts();
        found += searching->getSessionRecords().empty() ? 0 : 1;
    }
    flooding = false;
    flood.join();
    for (const int fd : ports)
        closeSocket(fd);
    EXPECT_EQ(found, SEARCHES) << sent << " queries sent";
    expectStillServed("flood from many ports");
}

} // namespace
