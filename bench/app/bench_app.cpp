#include "tests/app/appprocess.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Every copy searches loopback only, on a discovery port of this run's own.
// Headless unless ZEB_BENCH_WINDOW is set (run under xvfb-run for a real window).
namespace {

constexpr int LAUNCH_DEADLINE_MS = 20000;
constexpr int CPU_FRAMES = 450; // 10 s at 45 frames a second

const bool g_environment = [] {
    setenv("ZEB_DISCOVERY", "127.255.255.255", 1);
    setenv("ZEB_DISCOVERY_PORT", std::to_string(47500 + getpid() % 400).c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (std::getenv("ZEB_BENCH_WINDOW") == nullptr) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        unsetenv("DISPLAY");
    }
    return true;
}();

bool hasJoined(const appProcess& process) {
    return countType(readLogTypes(process.folder + "/message_log.csv"), 6) >= 1;
}

appProcess startServer(std::string& port) {
    port = std::to_string(findFreePort());
    appProcess server =
        startProgram(ZEB_PROGRAM, {"--log", "--server", "--port", port}, makeTempFolder("bench-server"));
    waitUntil([&] { return readFile(server.folder + "/stdout.txt").find("hosting") != std::string::npos; },
              LAUNCH_DEADLINE_MS);
    return server;
}

void stopServer(appProcess& server) {
    stopProcess(server, SIGTERM);
    if (!waitForExit(server, 10000))
        killAndReap(server);
}

// Processor seconds (user and system) a process has used so far.
double processorSeconds(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0.0;
    unsigned long user = 0;
    unsigned long system = 0;
    std::sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                &system);
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Voluntary context switches so far of a process's threads, summed by the
// thread's name: each one is a wake-up after the thread slept.
std::map<std::string, long> wakeUpsByThread(pid_t pid) {
    std::map<std::string, long> counts;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        std::string name = readFile(task.path().string() + "/comm");
        name.erase(name.find_last_not_of('\n') + 1);
        const std::string status = readFile(task.path().string() + "/status");
        const size_t at = status.find("voluntary_ctxt_switches:");
        if (at != std::string::npos && (at == 0 || status[at - 1] == '\n'))
            counts[name] += std::atol(status.c_str() + at + 24);
    }
    return counts;
}

// Wake-ups a second of ZEB's own threads over a window of play, by kind: the
// game's thread (named like the program), the network service threads, and
// the threads of the libraries (audio, drawing) together.
void countWakeUps(benchmark::State& state, pid_t pid, int seconds) {
    const std::map<std::string, long> before = wakeUpsByThread(pid);
    waitUntil([] { return false; }, seconds * 1000);
    const std::map<std::string, long> after = wakeUpsByThread(pid);
    double game = 0.0, network = 0.0, libraries = 0.0;
    for (const auto& [name, count] : after) {
        const auto earlier = before.find(name);
        const double perSecond =
            static_cast<double>(count - (earlier == before.end() ? 0 : earlier->second)) / seconds;
        if (name == "zeb")
            game += perSecond;
        else if (name.rfind("zeb-", 0) == 0 && name.find("-net") != std::string::npos)
            network += perSecond;
        else
            libraries += perSecond;
    }
    state.counters["game_thread_wakes_per_s"] = game;
    state.counters["network_thread_wakes_per_s"] = network;
    state.counters["zeb_threads_wakes_per_s"] = game + network;
    state.counters["library_thread_wakes_per_s"] = libraries;
}

// Launch to the first drawn frame (and its teardown) of a copy that finds
// nothing and hosts.
void hostingLaunch(benchmark::State& state) {
    for (auto _ : state) {
        const uint64_t start = monotonicMilliseconds();
        appProcess copy =
            startProgram(ZEB_PROGRAM, {"--log", "--port", std::to_string(findFreePort()), "--frames", "1"},
                         makeTempFolder("bench-host"));
        if (!waitForExit(copy, LAUNCH_DEADLINE_MS) || !hasJoined(copy)) {
            killAndReap(copy);
            state.SkipWithError("the hosting copy did not draw its first frame");
            break;
        }
        state.SetIterationTime(static_cast<double>(monotonicMilliseconds() - start) / 1000.0);
    }
}
BENCHMARK(hostingLaunch)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Launch to the first drawn frame of a copy that finds a running host and joins it.
void joiningLaunch(benchmark::State& state) {
    std::string port;
    appProcess server = startServer(port);
    for (auto _ : state) {
        const uint64_t start = monotonicMilliseconds();
        appProcess copy = startProgram(ZEB_PROGRAM, {"--log", "--frames", "1"}, makeTempFolder("bench-join"));
        if (!waitForExit(copy, LAUNCH_DEADLINE_MS) || !hasJoined(copy)) {
            killAndReap(copy);
            state.SkipWithError("the joining copy did not draw its first frame");
            break;
        }
        state.SetIterationTime(static_cast<double>(monotonicMilliseconds() - start) / 1000.0);
    }
    stopServer(server);
}
BENCHMARK(joiningLaunch)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// A client drawing CPU_FRAMES frames: its processor use as a share of one core.
void clientProcessorUse(benchmark::State& state) {
    std::string port;
    appProcess server = startServer(port);
    for (auto _ : state) {
        const uint64_t start = monotonicMilliseconds();
        appProcess copy = startProgram(ZEB_PROGRAM, {"--log", "--frames", std::to_string(CPU_FRAMES)},
                                       makeTempFolder("bench-client"));
        int status = 0;
        struct rusage usage = {};
        wait4(copy.pid, &status, 0, &usage);
        const double wall = static_cast<double>(monotonicMilliseconds() - start) / 1000.0;
        const double used = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        state.SetIterationTime(wall);
        state.counters["core_percent"] = 100.0 * used / wall;
        state.counters["frames_per_s"] = CPU_FRAMES / wall;
    }
    stopServer(server);
}
BENCHMARK(clientProcessorUse)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// A joined client that nobody steers: the wake-ups of its threads.
void idleClientWakeUps(benchmark::State& state) {
    std::string port;
    appProcess server = startServer(port);
    appProcess client = startProgram(ZEB_PROGRAM, {"--log", "--connect", "127.0.0.1:" + port, "--no-rejoin"},
                                     makeTempFolder("bench-idle"));
    if (!waitUntil([&] { return hasJoined(client); }, LAUNCH_DEADLINE_MS))
        state.SkipWithError("the client did not join");
    for (auto _ : state) {
        const uint64_t start = monotonicMilliseconds();
        countWakeUps(state, client.pid, 10);
        state.SetIterationTime(static_cast<double>(monotonicMilliseconds() - start) / 1000.0);
    }
    stopProcess(client, SIGTERM);
    if (!waitForExit(client, 10000))
        killAndReap(client);
    stopServer(server);
}
BENCHMARK(idleClientWakeUps)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// A dedicated host with eight players: its processor use and its threads'
// wake-ups over ten seconds of play.
void serverProcessorUse(benchmark::State& state) {
    constexpr int PLAYERS = 8;
    std::string port;
    appProcess server = startServer(port);
    std::vector<appProcess> players;
    for (int i = 0; i < PLAYERS; ++i) {
        players.push_back(startProgram(ZEB_PROGRAM, {"--log", "--connect", "127.0.0.1:" + port},
                                       makeTempFolder("bench-player")));
    }
    for (const appProcess& player : players)
        waitUntil([&] { return hasJoined(player); }, LAUNCH_DEADLINE_MS);
    for (auto _ : state) {
        const double before = processorSeconds(server.pid);
        const uint64_t start = monotonicMilliseconds();
        countWakeUps(state, server.pid, 10); // ten seconds of play
        const double wall = static_cast<double>(monotonicMilliseconds() - start) / 1000.0;
        state.SetIterationTime(wall);
        state.counters["core_percent"] = 100.0 * (processorSeconds(server.pid) - before) / wall;
    }
    for (appProcess& player : players)
        stopProcess(player, SIGTERM);
    for (appProcess& player : players) {
        if (!waitForExit(player, 10000))
            killAndReap(player);
    }
    stopServer(server);
}
BENCHMARK(serverProcessorUse)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
