#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"
#include "tests/app/httpget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

// The value of one sample line "name value" of a scrape; -1 when missing.
double metric(const std::string& body, const std::string& name) {
    const size_t at = body.find("\n" + name + " ");
    return at == std::string::npos ? -1.0 : std::stod(body.substr(at + name.size() + 2));
}

// The processes that parent's main thread started.
std::vector<pid_t> childrenOf(pid_t parent) {
    const std::string main = std::to_string(parent);
    std::ifstream list("/proc/" + main + "/task/" + main + "/children");
    std::vector<pid_t> children;
    for (pid_t child = 0; list >> child;)
        children.push_back(child);
    return children;
}

// Gone, or a zombie that nobody has reaped yet.
bool hasEnded(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    return !std::getline(stat, line) || line.find(") Z ") != std::string::npos;
}

// "2026-12-07T11:36:34.123Z " at the start of the line.
bool startsWithTime(const std::string& line) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd.dddZ ";
    if (line.size() < shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (shape[i] == 'd' ? !digit : line[i] != shape[i])
            return false;
    }
    return true;
}

// A line "... ZEB bot <pid>: score <n>" with n above 0.
bool aBotScored(const std::string& output) {
    const std::string marker = ": score ";
    for (const std::string& line : lines(output)) {
        const size_t at = line.find(marker);
        if (line.find("ZEB bot ") != std::string::npos && at != std::string::npos &&
            std::atoi(line.c_str() + at + marker.size()) > 0)
            return true;
    }
    return false;
}

class operatorTools : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override {
        for (appProcess* process : {&m_server, &m_player, &m_status})
            killAndReap(*process);
    }
    std::string serverOutput() const { return readFile(m_server.folder + "/stdout.txt"); }

    // The port the server announces for its counters; 0 when it does not in time.
    uint16_t waitForMetricsPort() const {
        const std::string announced = "counters on http://127.0.0.1:";
        if (!waitUntil([&] { return serverOutput().find("/metrics\n") != std::string::npos; }, 10000))
            return 0;
        const std::string output = serverOutput();
        const size_t at = output.find(announced);
        return at == std::string::npos
                   ? 0
                   : static_cast<uint16_t>(std::stoi(output.substr(at + announced.size())));
    }

    // Runs --status to its end; its output, or a failure text when it hangs.
    std::string askStatus(int& exitStatus) {
        m_status = startProgram(ZEB_PROGRAM, {"--status"}, makeTempFolder("status"));
        if (!waitForExit(m_status, 10000))
            return "--status did not end";
        exitStatus = exitCode(m_status);
        return readFile(m_status.folder + "/stdout.txt");
    }

    appProcess m_server;
    appProcess m_player;
    appProcess m_status;
};

// The settings file names the port and the session; --status shows the host,
// first empty, then with the player who joined; every line of the server
// starts with its time.
TEST_F(operatorTools, statusShowsAServerConfiguredByItsSettingsFile) {
    const std::string port = std::to_string(findFreePort());
    const std::string folder = makeTempFolder("server");
    std::ofstream(folder + "/server.conf")
        << "# test server\nport = " << port << "\nsession-name = Night Shift\n";
    m_server = startProgram(ZEB_PROGRAM, {"--server", "--config", "server.conf"}, folder);
    ASSERT_TRUE(waitUntil(
        [&] { return serverOutput().find("hosting \"Night Shift\" on port " + port) != std::string::npos; },
        10000))
        << serverOutput() << readFile(folder + "/stderr.txt");

    int status = -1;
    const std::string host = "127.0.0.1:" + port + " \"Night Shift\": ";
    std::string answer = askStatus(status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(answer.find(host + "0 players, maximum 8\n"), std::string::npos) << answer;

    // The operator reads who came and went by name.
    m_player = startProgram(ZEB_PROGRAM, {"--connect", "127.0.0.1:" + port, "--name", "Nora"},
                            makeTempFolder("player"));
    ASSERT_TRUE(waitUntil(
        [&] { return serverOutput().find(" joined as Nora (1 connected)") != std::string::npos; }, 10000));
    // A player counts once its join request has been answered.
    EXPECT_TRUE(waitUntil(
        [&] { return askStatus(status).find(host + "1 players, maximum 8\n") != std::string::npos; }, 10000))
        << answer;

    stopProcess(m_player, SIGTERM);
    ASSERT_TRUE(waitForExit(m_player, 10000));
    ASSERT_TRUE(waitUntil(
        [&] { return serverOutput().find(" (Nora) left (0 connected)") != std::string::npos; }, 10000));
    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);

    const std::vector<std::string> output = lines(serverOutput());
    ASSERT_GE(output.size(), 4u);
    for (const std::string& line : output) {
        EXPECT_TRUE(startsWithTime(line)) << line;
        EXPECT_TRUE(line.find(" ZEB server: ") == 24 || line.find(" Player ") == 24) << line;
    }
    EXPECT_NE(output.back().find("ZEB server: stopped"), std::string::npos);
}

// The counters are served on loopback only when asked for, follow a player
// coming and going, and count its traffic.
TEST_F(operatorTools, countersAreScrapedFromTheRunningServer) {
    const std::string port = std::to_string(findFreePort());
    m_server =
        startProgram(ZEB_PROGRAM, {"--server", "--port", port, "--metrics", "0"}, makeTempFolder("server"));
    const uint16_t metricsPort = waitForMetricsPort();
    ASSERT_NE(metricsPort, 0) << serverOutput() << readFile(m_server.folder + "/stderr.txt");

    std::string body;
    auto scrape = [&] { return body = okBody(httpGetLoopback(metricsPort, "/metrics", 3000)); };
    ASSERT_FALSE(scrape().empty());
    EXPECT_EQ(metric(body, "zeb_players_connected"), 0);
    EXPECT_EQ(metric(body, "zeb_received_messages_total"), 0);
    EXPECT_TRUE(okBody(httpGetLoopback(metricsPort, "/", 3000)).empty()) << "only /metrics is served";

    m_player = startProgram(ZEB_PROGRAM, {"--connect", "127.0.0.1:" + port}, makeTempFolder("player"));
    ASSERT_TRUE(waitUntil(
        [&] {
            return metric(scrape(), "zeb_players_connected") == 1 &&
                   metric(body, "zeb_sent_messages_total") > 0;
        },
        10000))
        << body;
    EXPECT_GT(metric(body, "zeb_received_messages_total"), 0);
    EXPECT_GT(metric(body, "zeb_received_bytes_total"), 0);
    EXPECT_GT(metric(body, "zeb_sent_bytes_total"), 0);
    // The rate counts whole seconds only.
    EXPECT_TRUE(waitUntil([&] { return metric(scrape(), "zeb_ticks_per_second") > 0; }, 5000)) << body;
    EXPECT_GT(metric(body, "zeb_tick_longest_seconds"), 0);

    stopProcess(m_player, SIGTERM);
    ASSERT_TRUE(waitForExit(m_player, 10000));
    ASSERT_TRUE(waitUntil([&] { return metric(scrape(), "zeb_players_connected") == 0; }, 10000)) << body;
    EXPECT_EQ(metric(body, "zeb_peers_dropped_total"), 0) << "the player left; it was not lost";
    EXPECT_EQ(metric(body, "zeb_refused_joins_total"), 0);
    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);
}

// Connections that are opened and left idle (a stuck scraper, a port scan)
// neither keep a scrape from being answered nor hold the server for long:
// hundreds of them, where a worker per connection held for a second each
// would keep the scrape waiting past Prometheus's ten seconds.
TEST_F(operatorTools, hundredsOfIdleConnectionsLeaveAScrapeAnswered) {
    m_server =
        startProgram(ZEB_PROGRAM, {"--server", "--port", std::to_string(findFreePort()), "--metrics", "0"},
                     makeTempFolder("server"));
    const uint16_t metricsPort = waitForMetricsPort();
    ASSERT_NE(metricsPort, 0) << serverOutput();
    std::vector<int> idle;
    for (int i = 0; i < 450; ++i)
        idle.push_back(openLoopbackConnection(metricsPort));
    EXPECT_EQ(std::count(idle.begin(), idle.end(), -1), 0);
    // A bound for a fault, far above the milliseconds a scrape takes.
    EXPECT_NE(metric(okBody(httpGetLoopback(metricsPort, "/metrics", 8000)), "zeb_players_connected"), -1.0);
    for (const int fd : idle)
        closeLoopbackConnection(fd);
}

// Three computer players join a dedicated server on loopback, play and score;
// stopping the server stops them too.
TEST_F(operatorTools, aServerWithThreeBotsPlays) {
    const std::string port = std::to_string(findFreePort());
    m_server = startProgram(ZEB_PROGRAM, {"--log", "--server", "--port", port, "--bots", "3"},
                            makeTempFolder("server"));
    ASSERT_TRUE(waitUntil([&] { return serverOutput().find("Player 3 joined") != std::string::npos; }, 20000))
        << serverOutput() << readFile(m_server.folder + "/stderr.txt");
    EXPECT_NE(serverOutput().find("ZEB server: started 3 bots"), std::string::npos);
    int status = -1;
    EXPECT_TRUE(waitUntil(
        [&] { return askStatus(status).find(" 3 players, maximum 8\n") != std::string::npos; }, 10000));

    ASSERT_TRUE(waitUntil([&] { return aBotScored(serverOutput()); }, 60000)) << serverOutput();
    const std::string said = serverOutput(); // each bot has a number of its own
    EXPECT_TRUE(said.find(" (Bot 1): score") != std::string::npos ||
                said.find(" (Bot 2): score") != std::string::npos ||
                said.find(" (Bot 3): score") != std::string::npos)
        << said;
    for (const char* bot : {"/bot-1", "/bot-2", "/bot-3"})
        EXPECT_EQ(countType(readLogTypes(m_server.folder + bot + "/message_log.csv"), 6), 1) << bot;

    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);
}

// Killed outright, a server leaves no computer player behind: on their own
// they would notice the lost host only when the link times out, seconds later.
TEST_F(operatorTools, botsEndAtOnceWhenTheirServerIsKilled) {
    m_server =
        startProgram(ZEB_PROGRAM, {"--server", "--port", std::to_string(findFreePort()), "--bots", "2"},
                     makeTempFolder("server"));
    ASSERT_TRUE(waitUntil([&] { return serverOutput().find("Player 2 joined") != std::string::npos; }, 20000))
        << serverOutput();
    const std::vector<pid_t> bots = childrenOf(m_server.pid);
    ASSERT_EQ(bots.size(), 2u);
    killAndReap(m_server);
    EXPECT_TRUE(waitUntil([&] { return std::all_of(bots.begin(), bots.end(), hasEnded); }, 2000));
    for (const pid_t bot : bots)
        kill(bot, SIGKILL); // what is left of a failed run
}

TEST_F(operatorTools, statusWithoutAnyServerSaysSoAndFails) {
    int status = -1;
    const std::string answer = askStatus(status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(answer, "No game answered.\n");
}

} // namespace
