// The real program through an evening of play on loopback: a full dedicated
// server refuses a ninth player and takes newcomers again when one leaves, a
// failed --connect says why, and every run deals its own field.

#include "game/common/gamenames.h"
#include "game/rules/protocol.h"
#include "networklib/networkclient.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netsettings.h"
#include "platform/net/netsocket.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"
#include "tests/app/discoveryliar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr int JOIN_DEADLINE_MS = 10000;

// A player of the test's own: connects, asks to join until its full state
// arrives, and keeps what it was sent.
struct testPlayer {
    networkClient client;
    std::vector<networkMessage> received;

    bool join(const std::string& address) {
        client.setApplicationGuid(APPLICATION_GUID);
        client.initialise();
        if (!client.connectTo(address))
            return false;
        return waitUntil(
            [&] {
                messageQueue out;
                out.push(writeJoinRequest("Tester"));
                client.sendMessages(out);
                messageQueue in;
                client.receiveMessages(in);
                while (in.hasMessages())
                    received.push_back(in.pop());
                for (const networkMessage& message : received)
                    if (message.getType() == MSG_FULL_STATE)
                        return true;
                return false;
            },
            JOIN_DEADLINE_MS);
    }

    std::vector<uint8_t> fullState() const {
        for (const networkMessage& message : received)
            if (message.getType() == MSG_FULL_STATE)
                return std::vector<uint8_t>(message.getData(), message.getData() + message.getDataSize());
        return {};
    }
};

class party : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override {
        for (appProcess* process : {&m_server, &m_other, &m_ninth})
            killAndReap(*process);
    }
    static std::string output(const appProcess& process, const char* file = "/stdout.txt") {
        return readFile(process.folder + file);
    }
    std::string startServer(appProcess& server, const char* tag) {
        const std::string port = std::to_string(findFreePort());
        server = startProgram(ZEB_PROGRAM, {"--log", "--server", "--port", port}, makeTempFolder(tag));
        EXPECT_TRUE(waitUntil([&] { return output(server).find("on port " + port) != std::string::npos; },
                              JOIN_DEADLINE_MS))
            << output(server, "/stderr.txt");
        return "127.0.0.1:" + port;
    }

    appProcess m_server;
    appProcess m_other;
    appProcess m_ninth;
};

TEST_F(party, aFullServerRefusesANinthPlayerAndTakesNewcomersAgain) {
    const std::string address = startServer(m_server, "server");
    std::vector<std::unique_ptr<testPlayer>> players;
    for (int i = 0; i < 8; ++i) {
        players.push_back(std::make_unique<testPlayer>());
        ASSERT_TRUE(players.back()->join(address)) << i;
    }

    m_ninth =
        startProgram(ZEB_PROGRAM, {"--log", "--connect", address, "--frames", "20"}, makeTempFolder("ninth"));
    ASSERT_TRUE(waitForExit(m_ninth, 30000));
    EXPECT_EQ(exitCode(m_ninth), 0);
    EXPECT_NE(output(m_ninth, "/stderr.txt").find("the game is full"), std::string::npos)
        << output(m_ninth, "/stderr.txt");
    EXPECT_NE(output(m_server).find("refused: the game is full"), std::string::npos) << output(m_server);

    // One leaves: the next newcomer takes that place.
    players[2]->client.disconnect();
    testPlayer newcomer;
    ASSERT_TRUE(newcomer.join(address));
    EXPECT_EQ(newcomer.fullState().size(), players[7]->fullState().size()); // no new elements
}

TEST_F(party, aFailedConnectSaysWhereAndWhy) {
    const std::string dead = "127.0.0.1:" + std::to_string(findFreePort());
    m_other = startProgram(ZEB_PROGRAM, {"--connect", dead, "--frames", "5"}, makeTempFolder("dead"));
    ASSERT_TRUE(waitForExit(m_other, 30000));
    const std::string said = output(m_other, "/stderr.txt");
    EXPECT_NE(said.find("cannot join the game at " + dead + ": no answer"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists(m_other.folder + "/message_log.csv")); // only with --log
}

TEST_F(party, whenTheHostIsKilledTheOthersPlayOnInANewGame) {
    const std::string port = std::to_string(findFreePort());
    m_server = startProgram(ZEB_PROGRAM, {"--log", "--port", port}, makeTempFolder("host"));
    auto log = [](const appProcess& process) { return readLogTypes(process.folder + "/message_log.csv"); };
    ASSERT_TRUE(waitUntil([&] { return countType(log(m_server), MSG_FULL_STATE) == 1; }, JOIN_DEADLINE_MS));
    m_other = startProgram(ZEB_PROGRAM, {"--log", "--frames", "3000"}, makeTempFolder("a"));
    m_ninth = startProgram(ZEB_PROGRAM, {"--log", "--frames", "3000"}, makeTempFolder("b"));
    for (const appProcess* copy : {&m_other, &m_ninth})
        ASSERT_TRUE(waitUntil([&] { return countType(log(*copy), MSG_FULL_STATE) == 1; }, JOIN_DEADLINE_MS));

    stopProcess(m_server, SIGKILL);
    ASSERT_TRUE(waitForExit(m_server, 5000));
    // Each notices, waits its turn, searches: one hosts, the other joins it.
    for (const appProcess* copy : {&m_other, &m_ninth})
        ASSERT_TRUE(waitUntil([&] { return countType(log(*copy), MSG_FULL_STATE) == 2; }, 30000));
    const int hostedA = countType(log(m_other), MSG_PLAYER_CREATED);
    const int hostedB = countType(log(m_ninth), MSG_PLAYER_CREATED);
    EXPECT_EQ(hostedA + hostedB, 2); // one new host saw both players arrive
    EXPECT_TRUE(hostedA == 0 || hostedB == 0);
}

// A bot whose server stops searches again and joins the next game, instead
// of ending; with --no-rejoin it ends with its game.
TEST_F(party, aBotWhoseGameEndsJoinsTheNextOne) {
    startServer(m_server, "first");
    m_other = startProgram(ZEB_PROGRAM, {"--bot", "--log"}, makeTempFolder("bot"));
    m_ninth = startProgram(ZEB_PROGRAM, {"--bot", "--log", "--no-rejoin"}, makeTempFolder("once"));
    auto joins = [](const appProcess& copy) {
        return countType(readLogTypes(copy.folder + "/message_log.csv"), MSG_FULL_STATE);
    };
    for (const appProcess* bot : {&m_other, &m_ninth})
        ASSERT_TRUE(waitUntil([&] { return joins(*bot) == 1; }, JOIN_DEADLINE_MS))
            << output(*bot, "/stderr.txt");
    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, JOIN_DEADLINE_MS));
    EXPECT_TRUE(waitForExit(m_ninth, JOIN_DEADLINE_MS));
    EXPECT_EQ(exitCode(m_ninth), 0);
    startServer(m_server, "second");
    EXPECT_TRUE(waitUntil([&] { return joins(m_other) == 2; }, 2 * JOIN_DEADLINE_MS)) << output(m_other);
    EXPECT_NE(output(m_other).find("the game ended; searching again"), std::string::npos) << output(m_other);
}

// A liar claims, every 50 ms, the right to host with the lowest claim there
// is, and never hosts: a copy gives way to it once, then hosts all the same,
// about a second and a half later than alone.
TEST_F(party, aClaimNeverFollowedByAGameHoldsACopyBackOnce) {
    const int fd = openDiscoveryQuerySocket();
    ASSERT_NE(fd, NET_NO_SOCKET);
    discoveryClaim claim;
    claim.applicationGuid = APPLICATION_GUID; // the claimant: all zero, below any other
    const std::vector<uint8_t> bytes = encodeDiscoveryClaim(claim);
    std::atomic<bool> claiming{true};
    std::thread liar([&] {
        for (int step = 0; claiming && step < 2000; ++step) { // 100 s at most, whatever happens
            sendDatagram(fd, netAddress{NET_LOOPBACK_BROADCAST_HOST, getDiscoveryPort()}, bytes);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const uint64_t began = monotonicMilliseconds();
    m_other = startProgram(ZEB_PROGRAM, {"--log", "--frames", "3000"}, makeTempFolder("held"));
    const bool joined = waitUntil(
        [&] { return countType(readLogTypes(m_other.folder + "/message_log.csv"), MSG_FULL_STATE) == 1; },
        JOIN_DEADLINE_MS);
    const uint64_t took = monotonicMilliseconds() - began;
    claiming = false;
    liar.join();
    closeSocket(fd);
    ASSERT_TRUE(joined) << output(m_other, "/stderr.txt");
    EXPECT_EQ(countType(readLogTypes(m_other.folder + "/message_log.csv"), MSG_PLAYER_CREATED),
              1); // it hosts
    EXPECT_LT(took, 5000u);
}

TEST_F(party, aLiarCatchesEachNewcomerOnceAtMost) {
    discoveryLiar lure;
    ASSERT_TRUE(lure.isReady());
    auto joined = [](const appProcess& copy) {
        return countType(readLogTypes(copy.folder + "/message_log.csv"), MSG_FULL_STATE) >= 1;
    };
    // The first finds only the liar: it passes over it and hosts; the second
    // finds both and ends up in the first one's game.
    m_other = startProgram(ZEB_PROGRAM, {"--log", "--frames", "3000"}, makeTempFolder("first"));
    ASSERT_TRUE(waitUntil([&] { return joined(m_other); }, JOIN_DEADLINE_MS))
        << output(m_other, "/stderr.txt");
    m_ninth = startProgram(ZEB_PROGRAM, {"--log", "--frames", "3000"}, makeTempFolder("second"));
    ASSERT_TRUE(waitUntil([&] { return joined(m_ninth); }, JOIN_DEADLINE_MS))
        << output(m_ninth, "/stderr.txt");
    EXPECT_EQ(countType(readLogTypes(m_ninth.folder + "/message_log.csv"), MSG_PLAYER_CREATED),
              0); // not its host
    EXPECT_LE(lure.caught(), 2);
    EXPECT_NE(output(m_other, "/stderr.txt").find("; searching again"), std::string::npos);
}

TEST_F(party, everyRunDealsItsOwnField) {
    const std::string first = startServer(m_server, "first");
    const std::string second = startServer(m_other, "second");
    testPlayer a;
    testPlayer b;
    ASSERT_TRUE(a.join(first));
    ASSERT_TRUE(b.join(second));
    ASSERT_FALSE(a.fullState().empty());
    EXPECT_NE(a.fullState(), b.fullState());
}

} // namespace
