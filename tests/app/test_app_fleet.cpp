#include "game/dedicated/agoneslink.h"
#include "game/dedicated/agonesschedule.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"
#include "tests/app/httpget.h"
#include "tests/app/sidecarstandin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What each descriptor of a process is open on ("socket:[123]", a path, ...),
// descriptors from `from` up.
std::set<std::string> openTargets(pid_t pid, int from) {
    std::set<std::string> targets;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return targets;
    for (dirent* entry = readdir(dir); entry != nullptr; entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) < from)
            continue;
        char target[512];
        const ssize_t size = readlink((folder + "/" + entry->d_name).c_str(), target, sizeof(target) - 1);
        if (size > 0)
            targets.insert(std::string(target, static_cast<size_t>(size)));
    }
    closedir(dir);
    return targets;
}

std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    DIR* dir = opendir("/proc");
    for (dirent* entry = dir != nullptr ? readdir(dir) : nullptr; entry != nullptr; entry = readdir(dir)) {
        const pid_t pid = std::atoi(entry->d_name);
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (pid <= 0 || !std::getline(stat, line) || line.rfind(')') == std::string::npos)
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read after its end.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        pid_t ppid = 0;
        if (rest >> state >> ppid && ppid == parent)
            children.push_back(pid);
    }
    if (dir != nullptr)
        closedir(dir);
    return children;
}

class fleetServer : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override { killAndReap(m_server); }
    std::string output() const { return readFile(m_server.folder + "/stdout.txt"); }
    std::string errors() const { return readFile(m_server.folder + "/stderr.txt"); }

    appProcess m_server;
};

// A port the operator names must be the one players reach: when it is taken
// the server says so in one line and ends as for a bad setting.
TEST_F(fleetServer, aTakenExplicitPortStopsTheServer) {
    const uint16_t port = findFreePort();
    const int holder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    m_server =
        startProgram(ZEB_PROGRAM, {"--server", "--port", std::to_string(port)}, makeTempFolder("taken"));
    ASSERT_TRUE(waitForExit(m_server, 10000)) << output();
    close(holder);
    EXPECT_EQ(exitCode(m_server), 2);
    const std::string said = errors();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("port " + std::to_string(port)), std::string::npos) << said;
    EXPECT_EQ(output().find("hosting"), std::string::npos) << output();
}

// The server program hosts only: what joins another game is refused in one
// line, as a wrong option is.
TEST_F(fleetServer, theServerProgramRefusesWhatNeedsTheGame) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--connect", "127.0.0.1"}, {"--port", "0"}}) {
        m_server = startProgram(ZEB_SERVER_PROGRAM, arguments, makeTempFolder("refused"));
        ASSERT_TRUE(waitForExit(m_server, 10000)) << arguments[0];
        EXPECT_EQ(exitCode(m_server), 2) << arguments[0];
        const std::string said = errors();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << arguments[0] << ": " << said;
    }
}

// The bots are separate programs: none of them holds the game socket, the
// counters' socket or any file of the server, so the port is free once the
// server is gone. Both programs bring bots along.
TEST_F(fleetServer, botsInheritNoDescriptorOfTheirHost) {
    for (const char* program : {ZEB_PROGRAM, ZEB_SERVER_PROGRAM}) {
        SCOPED_TRACE(program);
        const std::string port = std::to_string(findFreePort());
        m_server = startProgram(program, {"--server", "--port", port, "--bots", "2", "--metrics", "0"},
                                makeTempFolder("bots"));
        ASSERT_TRUE(waitUntil([&] { return output().find("Player 2 joined") != std::string::npos; }, 20000))
            << output() << errors();
        const std::vector<pid_t> bots = childrenOf(m_server.pid);
        ASSERT_EQ(bots.size(), 2u);
        std::set<std::string> hostFiles = openTargets(m_server.pid, 0);
        ASSERT_GT(hostFiles.size(), 3u);
        for (const pid_t bot : bots) {
            for (const std::string& target : openTargets(bot, 3)) {
                // Every eventfd and epoll instance has the same name: only real files and sockets compare.
                if (target.rfind("anon_inode:", 0) != 0) {
                    EXPECT_EQ(hostFiles.count(target), 0u) << "bot " << bot << " holds " << target;
                }
            }
        }
        stopProcess(m_server, SIGTERM);
        ASSERT_TRUE(waitForExit(m_server, 10000));
        EXPECT_EQ(exitCode(m_server), 0);
    }
}

// ---- Agones: the schedule on a replayed clock -------------------------------

constexpr double TICK = 1.0 / 45.0;

struct timedCall {
    double at;
    ZEBAgonesRequest request;
};

// Ticks from `from` to `to` at the game's rate with the players that
// `playersAt` gives for each moment, collecting the calls that fall due.
void replay(ZEBAgonesSchedule& schedule, double from, double to,
            const std::function<uint32_t(double)>& playersAt, std::vector<timedCall>& calls) {
    for (double now = from; now < to; now += TICK) {
        for (const ZEBAgonesRequest& request : schedule.tick(now, playersAt(now)))
            calls.push_back({now, request});
    }
}

std::vector<double> timesOf(const std::vector<timedCall>& calls, agonesCall which) {
    std::vector<double> times;
    for (const timedCall& call : calls) {
        if (call.request.call == which)
            times.push_back(call.at);
    }
    return times;
}

// Ready once, first; Health every 2 s while the game ticks and none while it
// is stuck (no tick from 6 s to 15 s), then at once when it ticks again.
TEST(agonesSchedule, healthFollowsTheTickEveryTwoSeconds) {
    ZEBAgonesSchedule schedule(0.0, 8);
    std::vector<timedCall> calls;
    const auto nobody = [](double) { return 0u; };
    replay(schedule, 0.0, 6.0, nobody, calls);
    replay(schedule, 15.0, 21.0, nobody, calls);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().request.call, agonesCall::ready);
    EXPECT_EQ(timesOf(calls, agonesCall::ready).size(), 1u);
    const std::vector<double> health = timesOf(calls, agonesCall::health);
    ASSERT_EQ(health.size(), 6u);
    for (size_t i = 1; i < health.size(); ++i) {
        if (i == 3) { // the stuck stretch
            EXPECT_GE(health[i], 15.0);
            EXPECT_LT(health[i], 15.0 + TICK);
        } else {
            EXPECT_NEAR(health[i] - health[i - 1], AGONES_HEALTH_PERIOD_SECONDS, 0.5);
        }
    }
    EXPECT_FALSE(schedule.isOverForLackOfPlayers());
}

// The players label starts at the count when hosting begins and follows every
// change, and only changes; player tracking sees the capacity, then places
// taken and given up, highest last in and first out.
TEST(agonesSchedule, playersFollowJoinsAndLeaves) {
    ZEBAgonesSchedule schedule(0.0, 8);
    std::vector<timedCall> calls;
    // 0 players, then 1 from 1 s, 3 from 2 s, 1 from 3 s, 0 from 4 s.
    const uint32_t counts[] = {0, 1, 3, 1, 0};
    replay(
        schedule, 0.0, 5.0, [&](double now) { return counts[static_cast<int>(now)]; }, calls);
    std::vector<std::string> players;
    for (const timedCall& call : calls) {
        const std::string value = std::to_string(call.request.players);
        if (call.request.call == agonesCall::playersLabel)
            players.push_back("label " + value);
        else if (call.request.call == agonesCall::playerCapacity)
            players.push_back("capacity " + value);
        else if (call.request.call == agonesCall::playerConnect)
            players.push_back("+" + value);
        else if (call.request.call == agonesCall::playerDisconnect)
            players.push_back("-" + value);
    }
    EXPECT_EQ(players, (std::vector<std::string>{"capacity 8", "label 0", "label 1", "+1", "label 3", "+2",
                                                 "+3", "label 1", "-3", "-2", "label 0", "-1"}));
    EXPECT_EQ(timesOf(calls, agonesCall::shutdown).size(), 0u) << "the schedule never ends the game itself";
}

// The game ends for lack of players only when it has had some and then stayed
// empty for the set time; an unset time, or a game nobody joined, never ends.
TEST(agonesSchedule, anEmptyGameEndsAfterTheSetTime) {
    struct row {
        double emptyShutdown;
        double playedUntil; // one player from 1 s to this; 0: nobody ever
        double lastTick;
        bool over;
    } const rows[] = {
        {5.0, 3.0, 7.9, false},   {5.0, 3.0, 8.1, true},    {0.0, 3.0, 100.0, false},
        {5.0, 0.0, 100.0, false}, {5.0, 30.0, 20.0, false},
    };
    for (const row& r : rows) {
        ZEBAgonesSchedule schedule(r.emptyShutdown, 8);
        std::vector<timedCall> calls;
        replay(
            schedule, 0.0, r.lastTick,
            [&](double now) { return now >= 1.0 && now < r.playedUntil ? 1u : 0u; }, calls);
        EXPECT_EQ(schedule.isOverForLackOfPlayers(), r.over)
            << r.emptyShutdown << " s, played until " << r.playedUntil << ", last tick " << r.lastTick;
    }
}

// ---- Agones: the link against a stand-in sidecar --------------------------

class agonesLinkTest : public ::testing::Test {
  protected:
    std::vector<std::string> reports() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_reports;
    }
    ZEBAgonesLink::reportFunction reporter() {
        return [this](const std::string& line) {
            std::lock_guard<std::mutex> hold(m_lock);
            m_reports.push_back(line);
        };
    }
    std::mutex m_lock;
    std::vector<std::string> m_reports;
    sidecarStandIn m_sidecar;
};

// The sidecar starts after the game: the link says once that it cannot reach
// it, keeps trying, and then delivers one Health for the many that piled up,
// Ready and the newest players label in order; Shutdown last.
TEST_F(agonesLinkTest, callsWaitForALateSidecarAndArriveInOrder) {
    const uint16_t port = findFreePort(SOCK_STREAM);
    ZEBAgonesLink link(port, reporter());
    link.post({agonesCall::ready, 0});
    for (uint32_t players = 0; players < 4; ++players) {
        link.post({agonesCall::health, 0});
        link.post({agonesCall::playersLabel, players});
    }
    ASSERT_TRUE(waitUntil([&] { return !reports().empty(); }, 5000));
    ASSERT_TRUE(m_sidecar.start(port));
    ASSERT_TRUE(waitUntil([&] { return m_sidecar.calls().size() >= 3; }, AGONES_LONGEST_RETRY_MS * 5));
    EXPECT_TRUE(link.finish(AGONES_LONGEST_RETRY_MS * 3));
    const std::vector<sidecarCall> calls = m_sidecar.calls();
    std::vector<std::string> paths;
    for (const sidecarCall& call : calls)
        paths.push_back(call.method + " " + call.path);
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "POST /health"), 1);
    std::erase(paths, "POST /health");
    EXPECT_EQ(paths, (std::vector<std::string>{"POST /ready", "PUT /metadata/label", "POST /shutdown"}));
    EXPECT_EQ(bodyValue(m_sidecar.callsTo("/metadata/label")[0], "value"), "3");
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_NE(reports()[0].find("127.0.0.1:" + std::to_string(port) + " does not answer"), std::string::npos)
        << reports()[0];
}

// Player tracking goes to a sidecar that has it; a sidecar without it turns
// it off after one refusal, said once, and the label goes on.
TEST_F(agonesLinkTest, playerTrackingWhereTheSidecarHasIt) {
    for (const bool tracking : {true, false}) {
        sidecarStandIn sidecar(tracking);
        const uint16_t port = sidecar.startOnFreePort();
        ASSERT_NE(port, 0);
        std::vector<std::string> said;
        ZEBAgonesLink link(port, [&](const std::string& line) { said.push_back(line); });
        for (const ZEBAgonesRequest& request : {ZEBAgonesRequest{agonesCall::playerCapacity, 8},
                                                {agonesCall::playerConnect, 1},
                                                {agonesCall::playerConnect, 2},
                                                {agonesCall::playerDisconnect, 2},
                                                {agonesCall::playersLabel, 1}})
            link.post(request);
        ASSERT_TRUE(waitUntil([&] { return sidecar.callsTo("/metadata/label").size() == 1; }, 5000));
        EXPECT_TRUE(link.finish(5000));
        std::vector<std::string> paths;
        for (const sidecarCall& call : sidecar.calls())
            paths.push_back(call.path + " " +
                            bodyValue(call, call.path == "/metadata/label" ? "value" : "playerID"));
        // Place 2 came and went while place 1 was on its way, or both went out.
        std::erase(paths, "/alpha/player/connect 2");
        std::erase(paths, "/alpha/player/disconnect 2");
        const std::vector<std::string> expected =
            tracking ? std::vector<std::string>{"/alpha/player/capacity ", "/alpha/player/connect 1",
                                                "/metadata/label 1", "/shutdown "}
                     : std::vector<std::string>{"/metadata/label 1", "/shutdown "};
        EXPECT_EQ(paths, expected) << "tracking " << tracking;
        EXPECT_EQ(said.size(), tracking ? 0u : 1u) << "tracking " << tracking;
    }
}

// A sidecar that holds a call: Health still goes out, a thousand joins and
// leaves meanwhile come down to the one call the newest count needs, and on
// the way out Shutdown goes ahead of what still waits.
TEST_F(agonesLinkTest, healthAndShutdownNeverWaitBehindOtherCalls) {
    sidecarStandIn sidecar(true);
    const uint16_t port = sidecar.startOnFreePort();
    ASSERT_NE(port, 0);
    ZEBAgonesLink link(port, reporter());
    sidecar.hold("/metadata/label");
    link.post({agonesCall::playersLabel, 1});
    ASSERT_TRUE(waitUntil([&] { return sidecar.heldNow() > 0; }, 5000));
    for (int join = 0; join < 1000; ++join) {
        link.post({agonesCall::playerConnect, 1});
        link.post({agonesCall::playerDisconnect, 1});
    }
    link.post({agonesCall::playerConnect, 1});
    link.post({agonesCall::health, 0});
    EXPECT_TRUE(waitUntil([&] { return !sidecar.callsTo("/health").empty(); }, 10000));

    sidecar.release();
    EXPECT_TRUE(waitUntil([&] { return !sidecar.callsTo("/alpha/player/connect").empty(); }, 10000));
    sidecar.hold("/metadata/label");
    link.post({agonesCall::playersLabel, 2});
    ASSERT_TRUE(waitUntil([&] { return sidecar.heldNow() > 0; }, 5000));
    EXPECT_TRUE(link.finish(5000));
    EXPECT_EQ(sidecar.callsTo("/shutdown").size(), 1u);
    EXPECT_GT(sidecar.heldNow(), 0); // the label was still held when Shutdown went out
    sidecar.release();
    EXPECT_EQ(sidecar.callsTo("/alpha/player/connect").size(), 1u);
    EXPECT_TRUE(sidecar.callsTo("/alpha/player/disconnect").empty());
}

// With no sidecar at all the server's stop is bounded, and says so.
TEST_F(agonesLinkTest, finishingWithoutASidecarIsBounded) {
    ZEBAgonesLink link(findFreePort(SOCK_STREAM), reporter());
    link.post({agonesCall::ready, 0});
    const uint64_t started = monotonicMilliseconds();
    EXPECT_FALSE(link.finish(300));
    EXPECT_LT(monotonicMilliseconds() - started, 300u + 2u * AGONES_CALL_TIMEOUT_MS);
    EXPECT_EQ(reports().size(), 1u);
}

// ---- Agones: the real program ----------------------------------------------

// The value of one sample line "name value" of a scrape; -1 when missing.
double metric(const std::string& body, const std::string& name) {
    const size_t at = body.find("\n" + name + " ");
    return at == std::string::npos ? -1.0 : std::stod(body.substr(at + name.size() + 2));
}

// Both server programs: the game's (zeb --server) and the one for containers
// (zeb-server), whose HTTP layer is its own.
struct serverProgram {
    const char* path;
    std::vector<std::string> arguments;
};

class serverPrograms : public fleetServer, public ::testing::WithParamInterface<serverProgram> {};

// Under Agones (its port variable set, as in a pod) the server reports Ready
// after hosting, Health while it ticks, the players label as a player comes
// and goes (the counters agree), and Shutdown on SIGTERM once its players
// have been told; the sidecar comes up after the server.
TEST_P(serverPrograms, reportToTheAgonesSidecarAndServeCounters) {
    const std::string port = std::to_string(findFreePort());
    const uint16_t sidecarPort = findFreePort(SOCK_STREAM);
    sidecarStandIn sidecar;
    std::vector<std::string> arguments = GetParam().arguments;
    arguments.insert(arguments.end(), {"--port", port, "--metrics", "0"});
    m_server = startProgram(GetParam().path, arguments, makeTempFolder("agones"),
                            {"AGONES_SDK_HTTP_PORT=" + std::to_string(sidecarPort)});
    ASSERT_TRUE(waitUntil([&] { return errors().find("does not answer") != std::string::npos; }, 10000))
        << output() << errors();
    ASSERT_TRUE(sidecar.start(sidecarPort));
    ASSERT_TRUE(waitUntil([&] { return sidecar.callsTo("/health").size() >= 2; }, 10000)) << errors();
    // Health goes in a lane of its own; of the other calls Ready is the first.
    std::vector<sidecarCall> ordered = sidecar.calls();
    std::erase_if(ordered, [](const sidecarCall& call) { return call.path == "/health"; });
    ASSERT_FALSE(ordered.empty());
    EXPECT_EQ(ordered.front().path, "/ready");
    const std::string announced = "counters on http://127.0.0.1:";
    const size_t at = output().find(announced);
    ASSERT_NE(at, std::string::npos) << output();
    const uint16_t metricsPort = static_cast<uint16_t>(std::stoi(output().substr(at + announced.size())));
    const auto players = [&] {
        return metric(okBody(httpGetLoopback(metricsPort, "/metrics", 3000)), "zeb_players_connected");
    };
    EXPECT_EQ(players(), 0);
    EXPECT_TRUE(okBody(httpGetLoopback(metricsPort, "/", 3000)).empty()) << "only /metrics is served";

    appProcess player =
        startProgram(ZEB_PROGRAM, {"--bot", "--connect", "127.0.0.1:" + port}, makeTempFolder("bot"));
    const auto lastLabel = [&] {
        const std::vector<sidecarCall> labels = sidecar.callsTo("/metadata/label");
        return labels.empty() ? std::string() : bodyValue(labels.back(), "value");
    };
    EXPECT_TRUE(waitUntil([&] { return lastLabel() == "1"; }, 10000)) << lastLabel();
    EXPECT_EQ(players(), 1);
    stopProcess(player, SIGTERM);
    EXPECT_TRUE(waitForExit(player, 10000));
    killAndReap(player);
    EXPECT_TRUE(waitUntil([&] { return lastLabel() == "0"; }, 10000)) << lastLabel() << output() << errors();

    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);
    EXPECT_EQ(sidecar.calls().back().path, "/shutdown");
    EXPECT_EQ(sidecar.callsTo("/shutdown").size(), 1u);
    EXPECT_EQ(errors().find("does not answer"), errors().rfind("does not answer"))
        << "said once: " << errors();
}

INSTANTIATE_TEST_SUITE_P(fleet, serverPrograms,
                         ::testing::Values(serverProgram{ZEB_PROGRAM, {"--server"}},
                                           serverProgram{ZEB_SERVER_PROGRAM, {}}));

// With --agones-empty-shutdown the server ends by itself once its last player
// has left and the time has passed, and tells the sidecar.
TEST_F(fleetServer, anEmptiedServerShutsItselfDown) {
    const std::string port = std::to_string(findFreePort());
    sidecarStandIn sidecar;
    const uint16_t sidecarPort = sidecar.startOnFreePort();
    ASSERT_NE(sidecarPort, 0);
    m_server =
        startProgram(ZEB_PROGRAM, {"--server", "--port", port, "--agones", "--agones-empty-shutdown", "1"},
                     makeTempFolder("agones"), {"AGONES_SDK_HTTP_PORT=" + std::to_string(sidecarPort)});
    appProcess player =
        startProgram(ZEB_PROGRAM, {"--bot", "--connect", "127.0.0.1:" + port}, makeTempFolder("bot"));
    // The player counts once the game has taken its join request.
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::vector<sidecarCall> labels = sidecar.callsTo("/metadata/label");
            return !labels.empty() && bodyValue(labels.back(), "value") == "1";
        },
        10000))
        << output() << errors();
    EXPECT_TRUE(sidecar.callsTo("/shutdown").empty());
    stopProcess(player, SIGTERM);
    EXPECT_TRUE(waitForExit(player, 10000));
    killAndReap(player);
    ASSERT_TRUE(waitForExit(m_server, 10000)) << output();
    EXPECT_EQ(exitCode(m_server), 0);
    EXPECT_NE(output().find("no players for 1 s"), std::string::npos) << output();
    ASSERT_FALSE(sidecar.calls().empty());
    EXPECT_EQ(sidecar.calls().back().path, "/shutdown");
}

// Without --agones and without the variable nothing is sent, even with a
// sidecar listening on its default port.
TEST_F(fleetServer, withoutAgonesTheSidecarHearsNothing) {
    sidecarStandIn sidecar;
    if (!sidecar.start(AGONES_DEFAULT_SDK_PORT))
        GTEST_SKIP() << "port " << AGONES_DEFAULT_SDK_PORT << " is taken on this machine";
    const std::string port = std::to_string(findFreePort());
    m_server = startProgram(ZEB_PROGRAM, {"--server", "--port", port, "--agones-empty-shutdown", "1"},
                            makeTempFolder("plain"), {"AGONES_SDK_HTTP_PORT"});
    appProcess player =
        startProgram(ZEB_PROGRAM, {"--bot", "--connect", "127.0.0.1:" + port}, makeTempFolder("bot"));
    ASSERT_TRUE(waitUntil([&] { return output().find("Player 1 joined") != std::string::npos; }, 10000))
        << output() << errors();
    stopProcess(player, SIGTERM);
    EXPECT_TRUE(waitForExit(player, 10000));
    killAndReap(player);
    ASSERT_TRUE(waitUntil([&] { return output().find("Player 1 (Bot) left") != std::string::npos; }, 10000));
    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);
    EXPECT_TRUE(sidecar.calls().empty());
    EXPECT_EQ(output().find("Agones"), std::string::npos) << output();
}

} // namespace
