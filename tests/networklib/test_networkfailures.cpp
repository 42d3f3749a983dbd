#include "tests/networklib/nettesthelpers.h"

#include "platform/net/netclient.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netevents.h"
#include "platform/net/netserver.h"
#include "platform/net/netsettings.h"
#include "platform/net/netsocket.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int WAIT_MS = 3000;
constexpr const char* CHILD_VARIABLE = "ZEB_NET_TEST_CHILD";

// Records what a bare transport client hears, for traffic the game's classes
// would never send.
// The program started again as a child: joins the host named in the
// environment, says hello, then waits to be killed (bounded, in case it is not).
[[noreturn]] void runChild(const char* address) {
    netClient client;
    netAddress host;
    if (!client.initialise() || !parseAddress(address, 0, host))
        _exit(2);
    client.connect(host);
    if (!waitUntil([&] { return client.isConnected(); }, 5000))
        _exit(3);
    const uint8_t hello[4] = {42, 0, 0, 0};
    client.send(hello, sizeof(hello), true);
    waitUntil([] { return false; }, 30000);
    _exit(4);
}

const bool g_isChild = [] {
    if (const char* address = std::getenv(CHILD_VARIABLE))
        runChild(address);
    return false;
}();

pid_t spawnChild(const std::string& address) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry)
        variables.emplace_back(*entry);
    variables.push_back(std::string(CHILD_VARIABLE) + "=" + address);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    char program[] = "/proc/self/exe";
    char* argv[] = {program, nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, program, nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    return child;
}

uint16_t unusedPort() {
    const int fd = openDiscoveryQuerySocket(); // bound to a port the system picked
    const uint16_t port = localPort(fd);
    closeSocket(fd);
    return port;
}

} // namespace

TEST(NetworkFailures, AKilledClientIsReportedDestroyedWithinFiveSeconds) {
    auto host = makeHost(testGuid());
    const pid_t child = spawnChild(loopbackAddress(*host));
    ASSERT_GT(child, 0);
    arrivals got;
    const bool joined = waitForType(*host, got, 42, 5000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(joined);
    ASSERT_EQ(got.events.size(), 1u);
    const uint32_t id = got.events[0].playerID;
    EXPECT_EQ(got.messages[0].getPlayerID(), id);

    const auto killedAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitForEvent(*host, got, networkEventKind::playerLeft, 6000));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - killedAt).count();
    EXPECT_LE(seconds, 5.0);
    EXPECT_EQ(got.events.back().playerID, id);
    EXPECT_EQ(got.events.back().reason, NET_REASON_CONNECTION_LOST);
}

TEST(NetworkFailures, AConnectNobodyAnswersFailsWithinThreeSecondsAndSaysSo) {
    auto client = makeClient(testGuid());
    const auto startedAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(client->connectTo("127.0.0.1:" + std::to_string(unusedPort())));
    EXPECT_TRUE(client->isConnecting());
    EXPECT_FALSE(client->connectTo("127.0.0.1:1")); // already under way: nothing happens
    arrivals got;
    ASSERT_TRUE(waitForEvent(*client, got, networkEventKind::sessionEnded, 4000));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startedAt).count();
    EXPECT_LE(seconds, 3.5);
    EXPECT_GE(seconds, 2.9);
    EXPECT_FALSE(client->isConnected());
    EXPECT_EQ(client->getEnd(), networkEnd::noAnswer);
    EXPECT_EQ(got.count(networkEventKind::sessionEnded), 1);
}

TEST(NetworkFailures, ConnectWithoutASessionOrWhileConnectedDoesNothing) {
    auto first = makeHost(testGuid(), "First");
    auto client = makeClient(testGuid());
    client->connect("First"); // nothing enumerated yet
    EXPECT_FALSE(client->isConnecting());
    arrivals got;
    drain(*client, got);
    EXPECT_TRUE(got.events.empty());

    client->enumerateHosts();
    client->connect("First");
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, WAIT_MS));
    auto second = makeHost(testGuid(), "Second");
    EXPECT_FALSE(client->connectTo(loopbackAddress(*second)));
    client->connect("First");
    EXPECT_TRUE(client->isConnected());
    arrivals atSecond, atFirst;
    ASSERT_TRUE(waitForEvent(*first, atFirst, networkEventKind::playerJoined, WAIT_MS));
    drain(*second, atSecond);
    EXPECT_TRUE(atSecond.events.empty());
    EXPECT_EQ(atFirst.count(networkEventKind::playerJoined), 1);
}

TEST(NetworkFailures, AWrongProtocolVersionIsRefused) {
    auto host = makeHost(testGuid());
    netClient raw;
    ASSERT_TRUE(raw.initialise());
    ASSERT_TRUE(raw.connect(netAddress{NET_LOOPBACK_HOST, host->getPort()}, NET_PROTOCOL_VERSION + 1));
    ASSERT_TRUE(waitForEvent(raw, netEventKind::sessionEnded, WAIT_MS));
    arrivals got;
    drain(*host, got);
    EXPECT_TRUE(got.events.empty());
    EXPECT_EQ(host->getPlayerCount(), 0u);
}

TEST(NetworkFailures, PacketsTooShortForATypeNeverReachTheGame) {
    assertionCapture capture;
    auto host = makeHost(testGuid());
    netClient raw;
    ASSERT_TRUE(raw.initialise());
    ASSERT_TRUE(raw.connect(netAddress{NET_LOOPBACK_HOST, host->getPort()}));
    ASSERT_TRUE(waitUntil([&] { return raw.isConnected(); }, WAIT_MS));
    const uint8_t bytes[4] = {77, 0, 0, 0};
    for (size_t size = 0; size <= 4; ++size)
        raw.send(bytes, size, true);
    arrivals got;
    ASSERT_TRUE(waitForType(*host, got, 77, WAIT_MS));
    ASSERT_EQ(got.messages.size(), 1u);
    EXPECT_EQ(got.messages[0].getDataSize(), 0);
    // Malformed input from a peer is no assertion: a report could end the process.
    EXPECT_TRUE(capture.reports().empty());

    // The same at a client, from a host that sends short packets.
    netServer rawHost;
    ASSERT_TRUE(rawHost.initialise());
    netApplicationDesc desc;
    desc.applicationGuid = testGuid();
    ASSERT_TRUE(rawHost.host(desc, 0, getDiscoveryPort()));
    auto client = makeClient(testGuid());
    ASSERT_TRUE(client->connectTo("127.0.0.1:" + std::to_string(rawHost.getPort())));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected() && rawHost.getPlayerCount() == 1; }, WAIT_MS));
    for (size_t size = 0; size <= 4; ++size)
        rawHost.sendTo(0, bytes, size, true);
    arrivals atClient;
    ASSERT_TRUE(waitForType(*client, atClient, 77, WAIT_MS));
    ASSERT_EQ(atClient.messages.size(), 1u);
    EXPECT_EQ(atClient.messages[0].getDataSize(), 0);
    EXPECT_TRUE(capture.reports().empty());
}

TEST(NetworkFailures, StrayDatagramsNeitherCrashNorReachTheGame) {
    auto host = makeHost(testGuid());
    const int fd = openDiscoveryQuerySocket();
    ASSERT_GE(fd, 0);
    const netAddress gamePort{NET_LOOPBACK_HOST, host->getPort()};
    const netAddress discoveryPort{NET_LOOPBACK_HOST, getDiscoveryPort()};
    for (const size_t size : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(65000)}) {
        const std::vector<uint8_t> junk(size, 0xA5);
        EXPECT_TRUE(sendDatagram(fd, gamePort, junk)) << size;
        EXPECT_TRUE(sendDatagram(fd, discoveryPort, junk)) << size;
    }
    // Queries of the wrong size, magic, version or GUID get no answer.
    discoveryQuery query;
    query.applicationGuid = testGuid();
    const std::vector<uint8_t> good = encodeDiscoveryQuery(query);
    std::vector<uint8_t> shortQuery(good.begin(), good.end() - 1), longQuery = good, badMagic = good;
    longQuery.push_back(0);
    badMagic[0] = 'X';
    discoveryQuery otherVersion = query;
    otherVersion.version = 2;
    discoveryQuery otherGuid = query;
    otherGuid.applicationGuid.bytes[3] ^= 1;
    for (const auto& bad : {shortQuery, longQuery, badMagic, encodeDiscoveryQuery(otherVersion),
                            encodeDiscoveryQuery(otherGuid)})
        sendDatagram(fd, discoveryPort, bad);
    EXPECT_FALSE(waitReadable(fd, 300));

    sendDatagram(fd, discoveryPort, good); // the host is still there and answers
    ASSERT_TRUE(waitReadable(fd, WAIT_MS));
    uint8_t buffer[DISCOVERY_ANSWER_MAX_SIZE];
    netAddress from;
    const long size = receiveDatagram(fd, buffer, sizeof(buffer), from);
    discoveryAnswer answer;
    ASSERT_TRUE(decodeDiscoveryAnswer(buffer, static_cast<size_t>(size), answer));
    EXPECT_EQ(answer.gamePort, host->getPort());
    EXPECT_EQ(answer.desc.sessionName, "The Game");
    closeSocket(fd);

    arrivals got;
    drain(*host, got);
    EXPECT_TRUE(got.messages.empty() && got.events.empty());
    auto client = makeClient(testGuid());
    ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
    EXPECT_TRUE(waitForEvent(*host, got, networkEventKind::playerJoined, WAIT_MS));
}
