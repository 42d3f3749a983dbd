// The Agones link against a slow sidecar (the tests' stand-in, answering each
// call after a delay): a thousand players joining and leaving within 8.4 s
// while Health is due every two seconds, as the schedule sends it, then the
// server stops. Reported: the longest time between two Healths reaching the
// sidecar (from the start of the run to its end), the player-tracking calls
// it took, and how long after the stop Shutdown reached it.

#include "game/dedicated/agoneslink.h"
#include "game/dedicated/agonesschedule.h"
#include "tests/app/appprocess.h"
#include "tests/app/sidecarstandin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int JOINS = 1000;
constexpr uint64_t JOINS_MS = 8400;
constexpr uint64_t RUN_MS = 20000;

void BM_AgonesHealthBesideASlowSidecar(benchmark::State& state) {
    const int delayMs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        sidecarStandIn sidecar(true);
        const uint16_t port = findFreePort();
        if (!sidecar.start(port)) {
            state.SkipWithError("the stand-in cannot listen");
            return;
        }
        sidecar.setDelayMs(delayMs);
        ZEBAgonesLink link(port, [](const std::string&) {});
        link.post({agonesCall::ready, 0});
        link.post({agonesCall::playerCapacity, 8});
        const uint64_t start = monotonicMilliseconds();
        uint64_t nextHealth = start;
        int joined = 0;
        for (uint64_t now = start; now - start < RUN_MS; now = monotonicMilliseconds()) {
            if (now >= nextHealth) {
                link.post({agonesCall::health, 0});
                nextHealth += static_cast<uint64_t>(AGONES_HEALTH_PERIOD_SECONDS * 1000.0);
            }
            for (; joined < JOINS && (now - start) * JOINS >= static_cast<uint64_t>(joined) * JOINS_MS;
                 ++joined) {
                link.post({agonesCall::playerConnect, 1});
                link.post({agonesCall::playersLabel, 1});
                link.post({agonesCall::playerDisconnect, 1});
                link.post({agonesCall::playersLabel, 0});
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(22)); // a tick of the game
        }
        const uint64_t stopped = monotonicMilliseconds();
        link.finish(3000);
        uint64_t previous = start;
        uint64_t longestGap = 0;
        for (const sidecarCall& call : sidecar.callsTo("/health")) {
            longestGap = std::max(longestGap, std::min(call.atMs, stopped) - std::min(previous, stopped));
            previous = call.atMs;
        }
        longestGap = std::max(longestGap, stopped - std::min(previous, stopped));
        const std::vector<sidecarCall> shutdown = sidecar.callsTo("/shutdown");
        state.counters["longest_health_gap_s"] = static_cast<double>(longestGap) / 1000.0;
        state.counters["tracking_calls"] =
            static_cast<double>(sidecar.callsTo("/alpha/player/connect").size() +
                                sidecar.callsTo("/alpha/player/disconnect").size());
        state.counters["shutdown_after_stop_ms"] =
            shutdown.empty() ? -1.0 : static_cast<double>(shutdown.front().atMs - stopped);
    }
}
BENCHMARK(BM_AgonesHealthBesideASlowSidecar)->Arg(50)->Arg(300)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
