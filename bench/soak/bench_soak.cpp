#include "tests/app/appprocess.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

// The real program: a dedicated host serving its counters (zeb --server, or
// the server program zeb-server) and eight headless clients
// joined to it by address, all on loopback, for ZEB_SOAK_SECONDS (600 by
// default). Reports the resident memory of the host and of every client after
// a warm-up and at the end, the messages the host and the clients received per
// second, and the clients dropped (the host saw leave, or that are gone).
namespace {

constexpr int CLIENTS = 8;
constexpr int WARM_UP_SECONDS = 10;
constexpr int LAUNCH_DEADLINE_MS = 30000;
constexpr int FRAMES_PER_SECOND = 45;

const bool g_environment = [] {
    setenv("ZEB_DISCOVERY", "127.255.255.255", 1);
    setenv("ZEB_DISCOVERY_PORT", std::to_string(48000 + getpid() % 400).c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("DISPLAY");
    return true;
}();

int soakSeconds() {
    const char* text = std::getenv("ZEB_SOAK_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 600;
    return seconds > 0 ? seconds : 600;
}

long residentKilobytes(pid_t pid) {
    const std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

bool alive(const appProcess& process) {
    return kill(process.pid, 0) == 0 && !process.exited;
}

struct sample {
    long host = 0;
    long clients[CLIENTS] = {};
    size_t hostMessages = 0;
    size_t clientMessages = 0;
};

sample takeSample(const appProcess& server, const appProcess (&clients)[CLIENTS]) {
    sample taken;
    taken.host = residentKilobytes(server.pid);
    taken.hostMessages = readLogTypes(server.folder + "/message_log.csv").size();
    for (int c = 0; c < CLIENTS; ++c) {
        taken.clients[c] = residentKilobytes(clients[c].pid);
        taken.clientMessages += readLogTypes(clients[c].folder + "/message_log.csv").size();
    }
    return taken;
}

void BM_Soak(benchmark::State& state, const char* hostProgram, std::vector<std::string> hostArguments) {
    const int seconds = soakSeconds();
    for (auto _ : state) {
        const std::string port = std::to_string(findFreePort());
        hostArguments.insert(hostArguments.end(), {"--log", "--port", port, "--metrics", "0"});
        appProcess server = startProgram(hostProgram, hostArguments, makeTempFolder("soak-server"));
        if (!waitUntil(
                [&] { return readFile(server.folder + "/stdout.txt").find("hosting") != std::string::npos; },
                LAUNCH_DEADLINE_MS)) {
            killAndReap(server);
            state.SkipWithError("the host did not start");
            return;
        }
        const std::string frames = std::to_string((WARM_UP_SECONDS + seconds + 30) * FRAMES_PER_SECOND);
        appProcess clients[CLIENTS];
        for (appProcess& client : clients)
            client =
                startProgram(ZEB_PROGRAM, {"--log", "--connect", "127.0.0.1:" + port, "--frames", frames},
                             makeTempFolder("soak-client"));
        const bool joined = waitUntil(
            [&] { return countType(readLogTypes(server.folder + "/message_log.csv"), 5) >= CLIENTS; },
            LAUNCH_DEADLINE_MS);
        sleep(WARM_UP_SECONDS); // the soak's own pace, not a wait for an event
        const sample start = takeSample(server, clients);
        sleep(static_cast<unsigned>(seconds));
        const sample end = takeSample(server, clients);

        int dropped = joined ? 0 : CLIENTS;
        dropped += countType(readLogTypes(server.folder + "/message_log.csv"), 2);
        long clientGrowth = 0;
        for (int c = 0; c < CLIENTS; ++c) {
            dropped += alive(clients[c]) ? 0 : 1;
            clientGrowth = std::max(clientGrowth, end.clients[c] - start.clients[c]);
            std::printf("client %d: resident %ld kB at start, %ld kB at end\n", c, start.clients[c],
                        end.clients[c]);
        }
        std::printf("host: resident %ld kB at start, %ld kB at end\n", start.host, end.host);
        state.counters["host_rss_start_kB"] = static_cast<double>(start.host);
        state.counters["host_rss_end_kB"] = static_cast<double>(end.host);
        state.counters["host_growth_kB"] = static_cast<double>(end.host - start.host);
        state.counters["client_growth_max_kB"] = static_cast<double>(clientGrowth);
        state.counters["host_messages_per_s"] =
            static_cast<double>(end.hostMessages - start.hostMessages) / seconds;
        state.counters["client_messages_per_s"] =
            static_cast<double>(end.clientMessages - start.clientMessages) / seconds / CLIENTS;
        state.counters["clients_dropped"] = dropped;

        for (appProcess& client : clients)
            killAndReap(client);
        stopProcess(server, SIGTERM);
        if (!waitForExit(server, 10000))
            killAndReap(server);
    }
}
BENCHMARK_CAPTURE(BM_Soak, zeb, ZEB_PROGRAM, {"--server"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Soak, zeb_server, ZEB_SERVER_PROGRAM, {})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace
