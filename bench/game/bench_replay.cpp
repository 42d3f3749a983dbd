// A recording of ten minutes of eight computer players (the play harness, as
// the program records it): its size, how long reading and checking it takes,
// and how long a jump to a moment within it takes.

#include "game/replay/replayformat.h"
#include "game/replay/zebreplayplayer.h"
#include "tests/game/replay/recordedgame.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

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

} // namespace
