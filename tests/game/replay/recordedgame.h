#pragma once

// A game of computer players in one process (the play harness), recorded by
// the first player's copy as the program records it: each frame's messages go
// to the recorder before that player's collector takes them.

#include "game/client/zebbotpilot.h"
#include "game/replay/replayformat.h"
#include "game/replay/zebreplayrecorder.h"
#include "tests/game/playharness.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace replaytest {

constexpr const char* LEVEL = "level_0.xml";

// Plays frames frames with players bots on families asteroid families;
// atFrame, when given, looks at the game after each frame (its number from 1).
inline bool recordBotGame(const std::string& path, int players, int families, int frames,
                          const std::function<void(int, play::Harness&)>& atFrame = {}) {
    play::Harness game(families);
    std::vector<ZEBBotPilot> pilots;
    for (int i = 0; i < players; ++i) {
        game.addClient(static_cast<uint32_t>(i + 1), "Bot " + std::to_string(i + 1));
        pilots.emplace_back(static_cast<uint32_t>(100 + i));
    }
    game.clients[0]->collector.setAnnounced(OWN_CAPABILITIES); // as the program's copies do
    if (!game.joinAll())
        return false;
    ZEBReplayRecorder recorder;
    if (!recorder.start(path, LEVEL, "Bot 1"))
        return false;
    for (int frame = 1; frame <= frames; ++frame) {
        for (int i = 0; i < players; ++i)
            game.clients[i]->input = pilots[i].decide(game.clients[i]->collector, play::FRAME);
        recorder.noteFrame(play::FRAME, game.clients[0]->inbox, game.clients[0]->collector);
        game.step();
        if (atFrame)
            atFrame(frame, game);
    }
    recorder.finish();
    return !recorder.hasFailed();
}

// The recording at path, read whole and checked; false with the reason in error.
inline bool loadRecording(const std::string& path, ZEBReplayFile& file, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    return file.load(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), error);
}

} // namespace replaytest
