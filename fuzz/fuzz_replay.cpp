#include "fuzz/fuzzinput.h"
#include "game/replay/replayformat.h"
#include "game/replay/zebreplayplayer.h"

#include <string>

// A recording is read as --replay reads it: its header, chunk places and first
// chunk checked, then, when
// it is taken, played a little (later chunks unpacked as they come), jumped
// into and back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    abortOnAssertion();
    ZEBReplayFile file;
    std::string error;
    if (!file.load(std::string(reinterpret_cast<const char*>(data), size), error))
        return 0;
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    if (!player.start())
        return 0;
    for (int frame = 0; frame < 20; ++frame)
        player.advance(1.0f / 45.0f);
    player.faster();
    player.jumpTo(player.getDurationMs() / 2);
    player.advance(0.5f);
    player.jumpBy(-REPLAY_JUMP_MS);
    return 0;
}
