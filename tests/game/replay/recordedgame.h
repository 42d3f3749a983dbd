#pragma once

// A game of computer players in one process (the play harness), recorded by
// the first player's copy as the program records it: each frame's messages go
// to the recorder before that player's collector takes them.

#include "game/bot/zebbotpilot.h"
#include "game/replay/replayformat.h"
#include "game/replay/zebreplayrecorder.h"
#include "tests/game/playharness.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace replaytest {

constexpr const char* LEVEL = "level_0.xml";

// Plays frames frames with players bots on families asteroid families;
// atFrame, when given, looks at the game after each frame (its number from 1).
// leftOut, when given, hears how many messages the recorder left out.
inline bool recordBotGame(const std::string& path, int players, int families, int frames,
                          const std::function<void(int, play::Harness&)>& atFrame = {},
                          uint64_t* leftOut = nullptr) {
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
    if (leftOut != nullptr)
        *leftOut = recorder.getLeftOutCount();
    return !recorder.hasFailed();
}

// The recording at path, read whole and checked; false with the reason in error.
inline bool loadRecording(const std::string& path, ZEBReplayFile& file, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    return file.load(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
                     error);
}

// A crafted recording that crowds a moment: chunks starting spacingMs apart
// from 1 ms on, each a keyframe of one ship and then as many empty messages
// at its start as unpack to nearly the largest chunk. Small on disk (they
// pack well), large unpacked.
inline std::string craftCrowdedRecording(int chunks, uint32_t spacingMs,
                                         int messagesPerChunk = (MAX_CHUNK_RAW_BYTES - 4096) / 13) {
    ZEBReplayHeader header;
    header.level = LEVEL;
    header.ownName = "Eve";
    const std::vector<uint8_t> head = encodeReplayHeader(header);
    std::string bytes(head.begin(), head.end());
    ZEBGameStateElement ship;
    ship.initialise(0, vector3(1.0f, 2.0f, 0.0f), 0.0f, ZERO, 1.0f, TYPE_PLAYER, 0, WHITE, true);
    const networkMessage empty(MSG_EXPLOSION, nullptr, 0);
    for (int chunk = 0; chunk < chunks; ++chunk) {
        const uint32_t startMs = 1 + static_cast<uint32_t>(chunk) * spacingMs;
        ZEBReplayChunkBuilder builder;
        builder.keyframe(startMs, writeFullState({ship}, 0), writePlayerStats({}));
        for (int i = 0; i < messagesPerChunk; ++i)
            builder.message(startMs, empty);
        const std::vector<uint8_t> packed = builder.pack();
        bytes.append(packed.begin(), packed.end());
    }
    return bytes;
}

} // namespace replaytest
