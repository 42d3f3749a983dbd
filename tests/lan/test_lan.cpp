// The real program on a LAN of network namespaces: games found across
// switches and through the right card, a host that loses its link, a full
// game, counters scraped from another machine, a lying answer and a flood of
// forged queries from a machine of their own.

#include "game/rules/protocol.h"
#include "platform/net/netanswerlimiter.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netguid.h"
#include "platform/net/netsettings.h"
#include "platform/net/netsocket.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"
#include "tests/app/discoveryliar.h"
#include "tests/app/httpget.h"
#include "tests/lan/designcopy.h"
#include "tests/lan/forgedsender.h"
#include "tests/lan/lanbed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <memory>
#include <thread>

namespace {

constexpr int JOIN_MS = 15000;
constexpr int PARTY_GOES_ON_MS = 30000;
constexpr int STATUS_MS = 10000;
constexpr uint16_t METRICS_PORT = 9100;
constexpr int FLOOD_PORTS = 16;
constexpr int FLOOD_QUERIES_PER_STEP = 3; // every 10 ms: about 300 a second
constexpr int FLOOD_STEPS_MAX = 6000;     // a minute at most, whatever happens to the test

class lan : public ::testing::Test {
  protected:
    void SetUp() override {
        useHeadlessDrivers();
        if (!m_bed.isAvailable())
            GTEST_SKIP() << "no LAN test bed: " << m_bed.getProblem();
    }
    void TearDown() override {
        for (appProcess& process : m_processes)
            killAndReap(process);
    }

    // Checked once the bed is wired, before anything runs in it.
    void expectSealed() {
        std::string problems;
        ASSERT_TRUE(m_bed.isSealed(problems)) << problems;
    }

    appProcess& start(int machine, const std::vector<std::string>& arguments, const char* tag) {
        const std::string folder = makeTempFolder(tag);
        EXPECT_TRUE(copyGameData(folder));
        m_processes.push_back(m_bed.start(machine, ZEB_PROGRAM, arguments, folder));
        return m_processes.back();
    }
    appProcess& startPlayer(int machine, const char* tag) {
        return start(machine, {"--log", "--frames", "100000"}, tag); // the test reads its message log
    }

    static int fullStates(const appProcess& copy) {
        return countType(readLogTypes(copy.folder + "/message_log.csv"), MSG_FULL_STATE);
    }
    bool joined(const appProcess& copy, int times = 1) {
        return waitUntil([&] { return fullStates(copy) >= times; }, times > 1 ? PARTY_GOES_ON_MS : JOIN_MS);
    }
    void startThreeInOneGame(std::vector<appProcess*>& copies);

    // One search from machine, as `zeb --status` prints it.
    std::string status(int machine) {
        appProcess& asked = start(machine, {"--status"}, "status");
        waitForExit(asked, STATUS_MS);
        return readFile(asked.folder + "/stdout.txt");
    }
    bool statusSays(int machine, const std::string& text, int timeoutMs = STATUS_MS) {
        return waitUntil([&] { return status(machine).find(text) != std::string::npos; }, timeoutMs);
    }

    lanBed m_bed;
    std::deque<appProcess> m_processes;
};

std::string at(uint32_t host) {
    return lanBed::formatHost(host) + ":";
}

TEST_F(lan, fourMachinesOnOneSwitchPlayOneGame) {
    const int sw = m_bed.addSwitch();
    std::vector<uint32_t> addresses;
    for (int i = 0; i < 4; ++i)
        addresses.push_back(m_bed.wire(m_bed.addMachine(), sw));
    expectSealed();
    std::vector<appProcess*> copies = {&startPlayer(1, "first")};
    ASSERT_TRUE(joined(*copies[0]));
    for (int machine = 2; machine <= 4; ++machine) {
        std::this_thread::sleep_for(std::chrono::seconds(1)); // players arrive a second apart
        copies.push_back(&startPlayer(machine, "next"));
    }
    for (const appProcess* copy : copies)
        EXPECT_TRUE(joined(*copy)) << readFile(copy->folder + "/stderr.txt");
    // One game, hosted by the first machine, with all four in it.
    EXPECT_TRUE(statusSays(4, at(addresses[0])));
    const std::string found = status(4);
    EXPECT_NE(found.find("4 players, maximum 8"), std::string::npos) << found;
    EXPECT_EQ(std::count(found.begin(), found.end(), '\n'), 1) << found;
}

TEST_F(lan, aGameIsFoundThroughEveryCardNotOnlyTheDefaultRoute) {
    const int a = m_bed.addSwitch();
    const int b = m_bed.addSwitch();
    const int host = m_bed.addMachine();
    const uint32_t hostAddress = m_bed.wire(host, b);
    const int twoCards = m_bed.addMachine();
    m_bed.wire(twoCards, a);
    m_bed.wire(twoCards, b);
    m_bed.setDefaultRoute(twoCards, a); // 255.255.255.255 leaves through switch A only
    const int onB = m_bed.addMachine();
    m_bed.wire(onB, b);
    expectSealed();
    start(host, {"--server"}, "server");
    EXPECT_TRUE(statusSays(onB, at(hostAddress)));
    EXPECT_TRUE(statusSays(twoCards, at(hostAddress)));
    const appProcess& player = startPlayer(twoCards, "twocards");
    ASSERT_TRUE(joined(player)) << readFile(player.folder + "/stderr.txt");
    EXPECT_TRUE(statusSays(onB, "1 players, maximum 8"));
}

TEST_F(lan, aMachineSeesOnlyTheGamesOfItsOwnSwitch) {
    const int a = m_bed.addSwitch();
    const int b = m_bed.addSwitch();
    const uint32_t hostA = m_bed.wire(m_bed.addMachine(), a);
    m_bed.wire(m_bed.addMachine(), b);
    const int player = m_bed.addMachine();
    m_bed.wire(player, a);
    expectSealed();
    start(1, {"--server"}, "serverA");
    start(2, {"--server"}, "serverB");
    ASSERT_TRUE(statusSays(player, at(hostA)));
    const std::string found = status(player);
    EXPECT_EQ(std::count(found.begin(), found.end(), '\n'), 1) << found;
}

// Three machines on one switch in one game, the first hosting.
void lan::startThreeInOneGame(std::vector<appProcess*>& copies) {
    const int sw = m_bed.addSwitch();
    for (int i = 0; i < 3; ++i)
        m_bed.wire(m_bed.addMachine(), sw);
    expectSealed();
    copies.push_back(&startPlayer(1, "host"));
    ASSERT_TRUE(joined(*copies[0]));
    copies.push_back(&startPlayer(2, "first"));
    copies.push_back(&startPlayer(3, "second"));
    ASSERT_TRUE(joined(*copies[1]));
    ASSERT_TRUE(joined(*copies[2]));
    ASSERT_TRUE(statusSays(2, "3 players, maximum 8"));
}

// A player's cable out for two seconds: it plays on, or comes back by itself.
TEST_F(lan, aPlayerWhoseLinkComesBackPlaysOn) {
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startThreeInOneGame(copies));
    m_bed.setLink(3, 1, false);
    std::this_thread::sleep_for(std::chrono::seconds(2)); // the length of the outage
    m_bed.setLink(3, 1, true);
    EXPECT_TRUE(statusSays(2, "3 players, maximum 8", PARTY_GOES_ON_MS)) << status(2);
}

// The host's cable out for good: the other two play on in a new game.
TEST_F(lan, thePartyGoesOnWhenTheHostsLinkGoesDown) {
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startThreeInOneGame(copies));
    m_bed.setLink(1, 1, false);
    for (const appProcess* survivor : {copies[1], copies[2]})
        EXPECT_TRUE(joined(*survivor, 2)) << readFile(survivor->folder + "/stderr.txt");
    EXPECT_TRUE(statusSays(2, "2 players, maximum 8", PARTY_GOES_ON_MS))
        << status(2) << readFile(copies[1]->folder + "/stderr.txt")
        << readFile(copies[2]->folder + "/stderr.txt");
}

TEST_F(lan, aNinthMachineIsToldTheGameIsFullAndTheEightPlayOn) {
    const int sw = m_bed.addSwitch();
    const int server = m_bed.addMachine();
    m_bed.wire(server, sw);
    std::vector<int> players;
    for (int i = 0; i < 9; ++i) {
        players.push_back(m_bed.addMachine());
        m_bed.wire(players.back(), sw);
    }
    expectSealed();
    start(server, {"--server"}, "server");
    ASSERT_TRUE(statusSays(players[0], "0 players, maximum 8"));
    for (int i = 0; i < 8; ++i)
        start(players[i], {"--bot"}, "bot");
    ASSERT_TRUE(statusSays(players[8], "8 players, maximum 8 (full)", JOIN_MS));
    const appProcess& ninth = start(players[8], {"--log", "--frames", "100000", "--name", "Nina"}, "ninth");
    ASSERT_TRUE(joined(ninth));
    EXPECT_NE(readFile(ninth.folder + "/stderr.txt").find("The Game is full (8 of 8): hosting a new game"),
              std::string::npos)
        << readFile(ninth.folder + "/stderr.txt");
    const std::string found = status(players[0]);
    EXPECT_NE(found.find("8 players, maximum 8 (full)"), std::string::npos) << found;
    EXPECT_NE(found.find("\"Nina's game\": 1 players, maximum 8\n"), std::string::npos) << found;
}

TEST_F(lan, aServersCountersAreScrapedFromAnotherMachine) {
    const int sw = m_bed.addSwitch();
    const uint32_t serverAddress = m_bed.wire(m_bed.addMachine(), sw);
    m_bed.wire(m_bed.addMachine(), sw);
    expectSealed();
    const std::string endpoint = lanBed::formatHost(serverAddress) + ":" + std::to_string(METRICS_PORT);
    start(1, {"--server", "--metrics", endpoint}, "server");
    std::string body;
    EXPECT_TRUE(waitUntil(
        [&] {
            m_bed.inside(2, [&] { body = okBody(httpGet(serverAddress, METRICS_PORT, "/metrics", 1000)); });
            return !body.empty();
        },
        STATUS_MS));
    EXPECT_NE(body.find("zeb_players"), std::string::npos) << body;
}

// A machine of its own answers every search with an empty game and drops
// whoever comes. It catches each copy once at most: the newcomers end up in one
// real game, and when that game's host is lost the others play on without it.
TEST_F(lan, aLiarOnItsOwnMachineCatchesEachCopyOnceAtMost) {
    const int sw = m_bed.addSwitch();
    const int liarMachine = m_bed.addMachine();
    m_bed.wire(liarMachine, sw);
    std::vector<int> players;
    for (int i = 0; i < 3; ++i) {
        players.push_back(m_bed.addMachine());
        m_bed.wire(players.back(), sw);
    }
    expectSealed();
    setDiscoveryPort(NET_DEFAULT_DISCOVERY_PORT); // where the copies in the bed search
    std::unique_ptr<discoveryLiar> lure;
    m_bed.inside(liarMachine, [&] { lure = std::make_unique<discoveryLiar>(); });
    ASSERT_TRUE(lure->isReady());
    // The first finds only the liar: it is dropped, passes over it and hosts.
    std::vector<appProcess*> copies = {&startPlayer(players[0], "first")};
    ASSERT_TRUE(joined(*copies[0])) << readFile(copies[0]->folder + "/stderr.txt");
    EXPECT_EQ(lure->caught(), 1);
    for (int i = 1; i < 3; ++i)
        copies.push_back(&startPlayer(players[i], "next"));
    for (const appProcess* copy : {copies[1], copies[2]})
        EXPECT_TRUE(joined(*copy)) << readFile(copy->folder + "/stderr.txt");
    EXPECT_TRUE(statusSays(players[1], "3 players, maximum 8"));
    const int caughtBefore = lure->caught();
    EXPECT_LE(caughtBefore, 3);

    m_bed.setLink(players[0], sw, false);
    for (const appProcess* survivor : {copies[1], copies[2]})
        EXPECT_TRUE(joined(*survivor, 2)) << readFile(survivor->folder + "/stderr.txt");
    EXPECT_TRUE(statusSays(players[1], "2 players, maximum 8", PARTY_GOES_ON_MS))
        << status(players[1]) << readFile(copies[1]->folder + "/stderr.txt")
        << readFile(copies[2]->folder + "/stderr.txt");
    EXPECT_LE(lure->caught(), caughtBefore + 2);
}

// A machine floods the host with queries whose source is forged to be another
// machine's, from sixteen of its ports: that machine is sent only a bounded
// trickle of answers, and its own searches still find the game.
TEST_F(lan, aFloodForgedFromAnotherMachinesAddressCannotStarveItsSearch) {
    const int sw = m_bed.addSwitch();
    const uint32_t hostAddress = m_bed.wire(m_bed.addMachine(), sw);
    const int victim = m_bed.addMachine();
    const uint32_t victimAddress = m_bed.wire(victim, sw);
    const int flooder = m_bed.addMachine();
    m_bed.wire(flooder, sw);
    expectSealed();
    start(1, {"--server"}, "server");
    ASSERT_TRUE(statusSays(victim, at(hostAddress)));

    // The forged queries come from ports the victim holds open, so what the
    // host sends back to them can be counted.
    std::vector<netSocketHandle> ports;
    m_bed.inside(victim, [&] {
        for (int i = 0; i < FLOOD_PORTS; ++i)
            ports.push_back(openDiscoveryQuerySocket());
    });
    ASSERT_EQ(std::count(ports.begin(), ports.end(), NET_NO_SOCKET), 0);
    std::atomic<bool> flooding{true};
    std::atomic<int> sent{0};
    const auto began = std::chrono::steady_clock::now();
    std::thread flood([&] {
        m_bed.inside(flooder, [&] {
            const forgedSender sender;
            const std::vector<uint8_t> query =
                encodeDiscoveryQuery({NET_PROTOCOL_VERSION, ZEB_APPLICATION_GUID});
            for (int step = 0; flooding && sender.isOpen() && step < FLOOD_STEPS_MAX; ++step) {
                for (int i = 0; i < FLOOD_QUERIES_PER_STEP; ++i) {
                    const uint16_t port = localPort(ports[static_cast<size_t>(sent.load() % FLOOD_PORTS)]);
                    sent += sender.send(victimAddress, port, hostAddress, NET_DEFAULT_DISCOVERY_PORT, query);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    });
    // A second of flood first: the victim's address has spent its budget.
    EXPECT_TRUE(waitUntil([&] { return sent >= 100 * FLOOD_QUERIES_PER_STEP; }, STATUS_MS));
    for (int search = 0; search < 3; ++search) {
        const std::string found = status(victim);
        EXPECT_NE(found.find(at(hostAddress)), std::string::npos) << "search " << search << ": " << found;
    }
    flooding = false;
    flood.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    int answers = 0;
    for (const netSocketHandle fd : ports) {
        uint8_t buffer[DISCOVERY_ANSWER_MAX_SIZE + 1];
        netAddress from;
        discoveryAnswer answer;
        for (long size = 0; (size = receiveDatagram(fd, buffer, sizeof(buffer), from)) >= 0;)
            answers += decodeDiscoveryAnswer(buffer, static_cast<size_t>(size), answer) ? 1 : 0;
        closeSocket(fd);
    }
    EXPECT_GT(sent, 100 * FLOOD_QUERIES_PER_STEP);
    EXPECT_GT(answers, 0); // the forgery reached the host, and its answers the victim
    // Each second: the address's budget and each port's first query.
    EXPECT_LE(answers, (NET_DISCOVERY_HOST_ANSWERS_PER_SECOND + FLOOD_PORTS) * (seconds + 1.0))
        << sent << " queries in " << seconds << " s";
}

} // namespace

namespace {

// Games that form apart become one: copies started together, a party split
// by a host that froze or lost its link, two switches joined by a cable.

constexpr int ONE_GAME_MS = 10000; // from the moment the party could be one
constexpr int SIX = 6;

int gamesIn(const std::string& status) {
    int games = 0;
    for (size_t at = status.find("players, maximum"); at != std::string::npos;
         at = status.find("players, maximum", at + 1))
        ++games;
    return games;
}

std::string playersText(int players) {
    return " " + std::to_string(players) + " players, maximum 8";
}

class lanParty : public lan {
  protected:
    // Polls the status from machine until it lists one game of that many
    // players; the milliseconds that took from since, or -1 after limitMs.
    long long oneGameOf(int machine, int players, uint64_t since, int limitMs, std::string& last) {
        while (monotonicMilliseconds() - since < static_cast<uint64_t>(limitMs)) {
            last = status(machine);
            if (gamesIn(last) == 1 && last.find(playersText(players)) != std::string::npos)
                return static_cast<long long>(monotonicMilliseconds() - since);
        }
        return -1;
    }
    std::string errorsOf(const std::vector<appProcess*>& copies) {
        std::string all;
        for (const appProcess* copy : copies)
            all += copy->folder + ":\n" + readFile(copy->folder + "/stderr.txt");
        return all;
    }
    // A game of players machines on one switch, numbered from first, the first hosting.
    void startGame(int first, int players, std::vector<appProcess*>& copies) {
        copies.push_back(&startPlayer(first, "host"));
        ASSERT_TRUE(joined(*copies.back()));
        for (int machine = first + 1; machine < first + players; ++machine)
            copies.push_back(&startPlayer(machine, "player"));
        for (const appProcess* copy : copies)
            ASSERT_TRUE(joined(*copy)) << errorsOf(copies);
    }
};

TEST_F(lanParty, sixMachinesStartedTogetherPlayOneGame) {
    const int sw = m_bed.addSwitch();
    for (int i = 0; i < SIX; ++i)
        m_bed.wire(m_bed.addMachine(), sw);
    expectSealed();
    std::vector<appProcess*> copies;
    const uint64_t began = monotonicMilliseconds();
    for (int machine = 1; machine <= SIX; ++machine)
        copies.push_back(&startPlayer(machine, "together"));
    // How close together they started is reported, not asserted: a loaded
    // machine starts processes more slowly, and the party must form either way.
    const uint64_t startedWithin = monotonicMilliseconds() - began;
    for (const appProcess* copy : copies)
        ASSERT_TRUE(joined(*copy)) << errorsOf(copies);
    const int gamesAtFirst = gamesIn(status(1));
    std::string last;
    const long long oneGameAfter = oneGameOf(1, SIX, began, ONE_GAME_MS, last);
    std::printf("six copies started within %llu ms: %d games at first, one game of six after %lld ms\n",
                static_cast<unsigned long long>(startedWithin), gamesAtFirst, oneGameAfter);
    EXPECT_GE(oneGameAfter, 0) << last << errorsOf(copies);
}

TEST_F(lanParty, twoSwitchesJoinedByACablePlayOneGame) {
    const int a = m_bed.addSwitch();
    const int b = m_bed.addSwitch();
    for (int i = 0; i < SIX; ++i)
        m_bed.wire(m_bed.addMachine(), i < SIX / 2 ? a : b, a); // one network once joined
    expectSealed();
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startGame(1, SIX / 2, copies));
    ASSERT_NO_FATAL_FAILURE(startGame(1 + SIX / 2, SIX / 2, copies));
    ASSERT_TRUE(statusSays(1, playersText(SIX / 2)));
    ASSERT_TRUE(statusSays(SIX, playersText(SIX / 2)));
    m_bed.joinSwitches(a, b);
    std::string last;
    EXPECT_GE(oneGameOf(1, SIX, monotonicMilliseconds(), ONE_GAME_MS, last), 0) << last << errorsOf(copies);
    // The smaller game's host moved, and its players followed where it told them.
    const std::string said = errorsOf(copies);
    size_t moved = 0;
    for (size_t at = said.find("zeb: Joining the bigger game"); at != std::string::npos;
         at = said.find("zeb: Joining the bigger game", at + 1))
        ++moved;
    EXPECT_EQ(moved, static_cast<size_t>(SIX / 2)) << said;
}

// The host frozen while its players host a game of their own, then back:
// its player joins them.
TEST_F(lanParty, aHostFrozenForTenSecondsJoinsTheGameItsPlayersMade) {
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startThreeInOneGame(copies));
    stopProcess(*copies[0], SIGSTOP);
    const bool rehosted = statusSays(2, playersText(2), PARTY_GOES_ON_MS);
    std::this_thread::sleep_for(std::chrono::seconds(10)); // the rest of the freeze, whatever came first
    stopProcess(*copies[0], SIGCONT);
    ASSERT_TRUE(rehosted) << status(2) << errorsOf(copies);
    std::string last;
    EXPECT_GE(oneGameOf(2, 3, monotonicMilliseconds(), ONE_GAME_MS, last), 0) << last << errorsOf(copies);
}

// The host's link down while its players host a game of their own, then up:
// the host, alone in its game, joins them.
TEST_F(lanParty, aHostWhoseLinkComesBackJoinsTheGameItsPlayersMade) {
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startThreeInOneGame(copies));
    m_bed.setLink(1, 1, false);
    const bool rehosted = statusSays(2, playersText(2), PARTY_GOES_ON_MS);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    m_bed.setLink(1, 1, true);
    ASSERT_TRUE(rehosted) << status(2) << errorsOf(copies);
    std::string last;
    EXPECT_GE(oneGameOf(2, 3, monotonicMilliseconds(), ONE_GAME_MS, last), 0) << last << errorsOf(copies);
    EXPECT_NE(readFile(copies[0]->folder + "/stderr.txt").find("Every other player has left"),
              std::string::npos);
}

// A full game takes nobody: the smaller one plays on, and nobody is left
// without a game. A host's bots follow it when it moves.
TEST_F(lanParty, aFullGameAndASmallerOneEachPlayOn) {
    const int a = m_bed.addSwitch();
    const int b = m_bed.addSwitch();
    m_bed.wire(m_bed.addMachine(), a, a);
    m_bed.wire(m_bed.addMachine(), b, a);
    expectSealed();
    start(1, {"--bots", "7", "--frames", "100000"}, "eight");
    start(2, {"--bots", "2", "--frames", "100000"}, "three");
    ASSERT_TRUE(statusSays(1, "8 players, maximum 8 (full)", JOIN_MS));
    ASSERT_TRUE(statusSays(2, playersText(3), JOIN_MS));
    m_bed.joinSwitches(a, b);
    std::this_thread::sleep_for(std::chrono::milliseconds(ONE_GAME_MS));
    const std::string found = status(1);
    EXPECT_EQ(gamesIn(found), 2) << found;
    EXPECT_NE(found.find("8 players, maximum 8 (full)"), std::string::npos) << found;
    EXPECT_NE(found.find(playersText(3)), std::string::npos) << found;
}

TEST_F(lanParty, aHostsBotsFollowItToTheBiggerGame) {
    const int a = m_bed.addSwitch();
    const int b = m_bed.addSwitch();
    m_bed.wire(m_bed.addMachine(), a, a);
    m_bed.wire(m_bed.addMachine(), b, a);
    expectSealed();
    start(1, {"--bots", "3", "--frames", "100000"}, "four");
    start(2, {"--bots", "1", "--frames", "100000"}, "two");
    ASSERT_TRUE(statusSays(1, playersText(4), JOIN_MS));
    ASSERT_TRUE(statusSays(2, playersText(2), JOIN_MS));
    m_bed.joinSwitches(a, b);
    std::string last;
    EXPECT_GE(oneGameOf(1, SIX, monotonicMilliseconds(), ONE_GAME_MS, last), 0) << last;
}

// A dedicated server never moves; a game in a window moves to it, and the
// server says so.
TEST_F(lanParty, aGameInAWindowMovesToADedicatedServerWhichSaysSo) {
    const int a = m_bed.addSwitch();
    const int b = m_bed.addSwitch();
    const uint32_t serverAddress = m_bed.wire(m_bed.addMachine(), a, a);
    m_bed.wire(m_bed.addMachine(), b, a);
    m_bed.wire(m_bed.addMachine(), b, a);
    expectSealed();
    appProcess& server = start(1, {"--server"}, "server");
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startGame(2, 2, copies));
    ASSERT_TRUE(statusSays(1, playersText(0)));
    m_bed.joinSwitches(a, b);
    std::string last;
    EXPECT_GE(oneGameOf(1, 2, monotonicMilliseconds(), ONE_GAME_MS, last), 0) << last << errorsOf(copies);
    EXPECT_NE(last.find(at(serverAddress)), std::string::npos) << last;
    EXPECT_TRUE(waitUntil(
        [&] { return readFile(server.folder + "/stdout.txt").find("games merged") != std::string::npos; },
        STATUS_MS))
        << readFile(server.folder + "/stdout.txt");
}

// A copy built to the design alone, in the game that moves, is told only
// that its game ended: it searches again and finds the bigger game.
TEST_F(lanParty, aCopyOfTheDesignAloneFindsTheBiggerGameBySearching) {
    const int a = m_bed.addSwitch();
    const int b = m_bed.addSwitch();
    for (int machine = 1; machine <= 5; ++machine)
        m_bed.wire(m_bed.addMachine(), machine <= 2 ? a : b, a);
    expectSealed();
    setDiscoveryPort(NET_DEFAULT_DISCOVERY_PORT); // where the copies in the bed search
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startGame(1, 1, copies));
    const designCopy design(m_bed, 2);
    ASSERT_TRUE(waitUntil([&] { return design.gamesJoined() == 1; }, JOIN_MS));
    const netAddress first = design.getHost();
    ASSERT_NO_FATAL_FAILURE(startGame(3, 3, copies));
    ASSERT_TRUE(statusSays(1, playersText(2)));
    ASSERT_TRUE(statusSays(3, playersText(3)));
    m_bed.joinSwitches(a, b);
    std::string last;
    EXPECT_GE(oneGameOf(3, 5, monotonicMilliseconds(), ONE_GAME_MS, last), 0) << last << errorsOf(copies);
    EXPECT_EQ(design.gamesJoined(), 2);
    EXPECT_NE(design.getHost().host, first.host);
    EXPECT_NE(last.find(at(design.getHost().host)), std::string::npos) << last;
}

// A liar that ranks its answers as a dedicated server's: the host of a game
// tries it before it moves, is not let in, and keeps its game.
TEST_F(lanParty, aHostTriesTheBiggerGameBeforeItMovesAndALiarCannotBreakTheGame) {
    const int sw = m_bed.addSwitch();
    for (int i = 0; i < 3; ++i)
        m_bed.wire(m_bed.addMachine(), sw);
    expectSealed();
    setDiscoveryPort(NET_DEFAULT_DISCOVERY_PORT); // where the copies in the bed search
    std::vector<appProcess*> copies;
    ASSERT_NO_FATAL_FAILURE(startGame(1, 2, copies));
    std::unique_ptr<discoveryLiar> lure;
    m_bed.inside(3, [&] { lure = std::make_unique<discoveryLiar>(true); });
    ASSERT_TRUE(lure->isReady());
    EXPECT_TRUE(waitUntil(
        [&] {
            return readFile(copies[0]->folder + "/stderr.txt").find("did not let this copy in") !=
                   std::string::npos;
        },
        ONE_GAME_MS))
        << errorsOf(copies);
    std::this_thread::sleep_for(std::chrono::seconds(5)); // a few more looks
    for (const appProcess* copy : copies)
        EXPECT_EQ(fullStates(*copy), 1) << errorsOf(copies); // never left its game
    EXPECT_LE(lure->caught(), 1);
}

} // namespace
