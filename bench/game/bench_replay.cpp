// A recording of ten minutes of eight computer players (the play harness, as
// the program records it): its size, how long reading and checking it takes,
// and how long a jump to a moment within it takes. And crafted recordings
// that unpack to far more than they hold: what opening and playing them
// costs in time and memory (peak resident size of the process; run one at a
// time with --benchmark_filter to read it for that one). Each is also written
// to a file, for `zeb --replay` under /usr/bin/time -v.

#include "game/replay/replayformat.h"
#include "game/replay/zebreplayplayer.h"
#include "tests/game/replay/recordedgame.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int PLAYERS = 8;
constexpr int FAMILIES = 4;
constexpr int FRAMES = 10 * 60 * 45;
constexpr const char* PATH = "bench_replay_ten_minutes.zebreplay";

// Recorded once per run.
const std::string& recording() {
    static const std::string bytes = [] {
        if (!replaytest::recordBotGame(PATH, PLAYERS, FAMILIES, FRAMES))
            return std::string();
        std::ifstream file(PATH, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

void BM_ReplayLoadTenMinutesEightPlayers(benchmark::State& state) {
    const std::string& bytes = recording();
    for (auto _ : state) {
        ZEBReplayFile file;
        std::string error;
        if (!file.load(bytes, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(file.getDurationMs());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReplayLoadTenMinutesEightPlayers)->Unit(benchmark::kMillisecond);

// Jumps to moments spread over the game, as the arrow keys do.
void BM_ReplayJumpTenMinutesEightPlayers(benchmark::State& state) {
    ZEBReplayFile file;
    std::string error;
    if (!file.load(recording(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    player.start();
    uint32_t target = 0;
    for (auto _ : state) {
        target = (target + 37 * 1000 + 4321) % file.getDurationMs(); // never at a keyframe twice alike
        player.jumpTo(target);
        benchmark::DoNotOptimize(player.getCollector().getElementCount());
    }
    state.counters["duration_s"] = file.getDurationMs() / 1000.0;
}
BENCHMARK(BM_ReplayJumpTenMinutesEightPlayers)->Unit(benchmark::kMillisecond);

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Opens a crafted recording as --replay does and plays a second of it.
void openAndPlay(benchmark::State& state, int chunks, uint32_t spacingMs, const char* path) {
    const std::string bytes = replaytest::craftCrowdedRecording(chunks, spacingMs);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    for (auto _ : state) {
        ZEBReplayFile file;
        std::string error;
        if (!file.load(bytes, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        ZEBGameStateCollector collector;
        ZEBReplayPlayer player(file, collector);
        player.start();
        for (int frame = 0; frame < 45; ++frame)
            player.advance(1.0f / 45.0f);
        benchmark::DoNotOptimize(player.getTimeMs());
    }
    state.counters["file_kb"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["peak_rss_mb"] = peakResidentMegabytes();
}

// Ten chunks a millisecond apart, each unpacking to 8 MiB of empty messages.
void BM_ReplayCraftedTenChunksAMillisecondApart(benchmark::State& state) {
    openAndPlay(state, 10, 1, "bench_replay_crowded.zebreplay");
}
BENCHMARK(BM_ReplayCraftedTenChunksAMillisecondApart)->Unit(benchmark::kMillisecond)->Iterations(1);

// Forty such chunks a minute apart: what opening costs when the chunks are not played yet.
void BM_ReplayCraftedFortyChunksAMinuteApart(benchmark::State& state) {
    openAndPlay(state, 40, 60000, "bench_replay_forty.zebreplay");
}
BENCHMARK(BM_ReplayCraftedFortyChunksAMinuteApart)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
