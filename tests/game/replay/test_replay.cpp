#include "core/littleendian.h"
#include "game/replay/replayfolder.h"
#include "game/replay/replayformat.h"
#include "game/replay/zebreplayplayer.h"
#include "platform/compress/zlibstream.h"
#include "tests/game/replay/recordedgame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int PLAYERS = 3;
constexpr int FRAMES = 900;    // 20 s
constexpr int LOOKED_AT = 540; // 12 s
constexpr uint32_t LOOKED_AT_MS = 12000;

std::string readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Twenty seconds of three bots, recorded once for all the tests here, and the
// recording copy's picture at twelve seconds.
class recordedGame : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string path = "test_replay_game.zebreplay";
        s_recorded = replaytest::recordBotGame(path, PLAYERS, 3, FRAMES, [](int frame, play::Harness& game) {
            if (frame == LOOKED_AT - 45)
                game.hostSays("well played");
            if (frame != LOOKED_AT)
                return;
            const ZEBGameStateCollector& seen = game.clients[0]->collector;
            s_ownShip = seen.getOwnIndex();
            s_seen.clear();
            for (int i = 0; i < seen.getElementCount(); ++i)
                s_seen.push_back(seen.getElementState(i));
            s_scores.clear();
            for (int row = 0; row < seen.getStatsCount(); ++row)
                s_scores.push_back(seen.getStatsScore(row));
        });
        s_bytes = readBytes(path);
    }

    void SetUp() override {
        ASSERT_TRUE(s_recorded);
        std::string error;
        ASSERT_TRUE(m_file.load(s_bytes, error)) << error;
    }

    // Every element but the recording player's own ship (which that copy
    // predicted) as the recording copy had it, within tolerance.
    void expectSeenAt(const ZEBGameStateCollector& shown, float tolerance) const {
        ASSERT_EQ(shown.getElementCount(), static_cast<int>(s_seen.size()));
        int compared = 0;
        for (int i = 0; i < shown.getElementCount(); ++i) {
            if (i == s_ownShip)
                continue;
            const ZEBGameStateElement& element = shown.getElementState(i);
            EXPECT_EQ(element.isVisible(), s_seen[i].isVisible()) << "element " << i;
            if (!element.isVisible() || !s_seen[i].isVisible())
                continue;
            EXPECT_NEAR(element.getPosition().x, s_seen[i].getPosition().x, tolerance) << "element " << i;
            EXPECT_NEAR(element.getPosition().y, s_seen[i].getPosition().y, tolerance) << "element " << i;
            ++compared;
        }
        EXPECT_GT(compared, 5); // ships of the others, bullets, asteroids left
        std::vector<int> scores;
        for (int row = 0; row < shown.getStatsCount(); ++row)
            scores.push_back(shown.getStatsScore(row));
        EXPECT_EQ(scores, s_scores);
        EXPECT_EQ(scores.size(), static_cast<size_t>(PLAYERS));
    }

    static inline bool s_recorded = false;
    static inline std::string s_bytes;
    static inline int s_ownShip = -1;
    static inline std::vector<ZEBGameStateElement> s_seen;
    static inline std::vector<int> s_scores;
    ZEBReplayFile m_file;
};

TEST_F(recordedGame, HeaderChunksAndDurationDescribeTheGame) {
    EXPECT_EQ(m_file.getHeader().level, replaytest::LEVEL);
    EXPECT_EQ(m_file.getHeader().ownName, "Bot 1");
    EXPECT_EQ(m_file.getHeader().names, (std::vector<std::string>{"Bot 1", "Bot 2", "Bot 3"}));
    EXPECT_EQ(m_file.getChunkCount(), 4); // a keyframe at 0, 5, 10 and 15 s
    for (int chunk = 0; chunk < m_file.getChunkCount(); ++chunk)
        EXPECT_NEAR(m_file.getChunkStart(chunk), 5000.0 * chunk, 25.0);
    EXPECT_NEAR(m_file.getDurationMs(), 20000.0, 25.0);
}

// Played on, or jumped into from a keyframe and back, the replay shows the
// game as the copy that recorded it saw it then.
TEST_F(recordedGame, PlayingAndJumpingShowTheGameAsTheRecordingCopySawIt) {
    ZEBGameStateCollector playedCollector;
    ZEBReplayPlayer played(m_file, playedCollector);
    ASSERT_TRUE(played.start());
    for (int frame = 0; frame < LOOKED_AT; ++frame)
        played.advance(play::FRAME);
    EXPECT_NEAR(played.getTimeMs(), LOOKED_AT_MS, 1.0);
    expectSeenAt(played.getCollector(), 1e-3f);
    std::vector<ChatLine> heard;
    playedCollector.takeChatLines(heard);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].text, "well played");

    ZEBGameStateCollector jumpedCollector;
    ZEBReplayPlayer jumped(m_file, jumpedCollector);
    ASSERT_TRUE(jumped.start());
    jumped.jumpTo(LOOKED_AT_MS);
    EXPECT_EQ(jumped.getTimeMs(), LOOKED_AT_MS);
    expectSeenAt(jumped.getCollector(), 0.05f);
    jumpedCollector.takeChatLines(heard);
    EXPECT_TRUE(heard.empty()); // said on the way, over by the moment jumped to
    jumped.jumpBy(-REPLAY_JUMP_MS);
    EXPECT_EQ(jumped.getTimeMs(), LOOKED_AT_MS - REPLAY_JUMP_MS);
    jumped.jumpBy(-REPLAY_JUMP_MS);
    EXPECT_EQ(jumped.getTimeMs(), 0u);
}

TEST_F(recordedGame, SpeedPauseAndEndChangeHowFastTheGameRuns) {
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(m_file, collector);
    ASSERT_TRUE(player.start());
    struct step {
        std::function<void(ZEBReplayPlayer&)> act;
        float played; // game seconds for one frame afterwards
    };
    const step steps[] = {
        {[](ZEBReplayPlayer&) {}, play::FRAME},
        {[](ZEBReplayPlayer& p) { p.faster(); }, 2.0f * play::FRAME},
        {[](ZEBReplayPlayer& p) { p.faster(); }, 2.0f * play::FRAME}, // double is the fastest
        {[](ZEBReplayPlayer& p) { p.slower(); }, play::FRAME},
        {[](ZEBReplayPlayer& p) { p.slower(); }, 0.5f * play::FRAME},
        {[](ZEBReplayPlayer& p) { p.slower(); }, 0.5f * play::FRAME}, // half is the slowest
        {[](ZEBReplayPlayer& p) { p.togglePause(); }, 0.0f},
        {[](ZEBReplayPlayer& p) { p.togglePause(); }, 0.5f * play::FRAME},
        {[](ZEBReplayPlayer& p) { p.jumpTo(p.getDurationMs() + 5000); }, 0.0f}, // the end stays
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i].act(player);
        const uint32_t before = player.getTimeMs();
        EXPECT_NEAR(player.advance(play::FRAME), steps[i].played, 1e-5f) << "step " << i;
        EXPECT_NEAR(player.getTimeMs() - before, steps[i].played * 1000.0f, 1.0f) << "step " << i;
    }
    EXPECT_TRUE(player.isAtEnd());
    EXPECT_EQ(player.getTimeMs(), m_file.getDurationMs());
}

// A small file of two chunks, written as the recorder writes them.
struct smallFile {
    std::vector<uint8_t> header;
    std::vector<uint8_t> first;
    std::vector<uint8_t> second;

    std::string bytes() const {
        std::string all(header.begin(), header.end());
        all.append(first.begin(), first.end());
        all.append(second.begin(), second.end());
        return all;
    }
};

networkMessage fullStateOf(int shipID) {
    ZEBGameStateElement ship;
    ship.initialise(0, vector3(1.0f, 2.0f, 0.0f), 0.0f, ZERO, 1.0f, TYPE_PLAYER, 0, WHITE, true);
    return writeFullState({ship}, shipID);
}

smallFile makeSmallFile(const std::string& level = replaytest::LEVEL, const std::string& own = "Ann") {
    ZEBReplayHeader header;
    header.level = level;
    header.ownName = own;
    header.names = {"Ann", "Bob"};
    ZEBReplayChunkBuilder first;
    first.keyframe(0, fullStateOf(0), writePlayerStats({}));
    first.message(10, writeExplosion(Explosion()));
    ZEBReplayChunkBuilder second;
    second.keyframe(20, fullStateOf(0), writePlayerStats({}));
    second.message(30, writeExplosion(Explosion()));
    second.end(30);
    return {encodeReplayHeader(header), first.pack(), second.pack()};
}

// Every length and count is checked; a damaged file is refused with a reason
// for one line, never read past its end.
TEST(ReplayFile, DamagedFilesAreRefusedWithAReason) {
    const smallFile good = makeSmallFile();
    const size_t chunk = good.header.size();                    // where the first chunk starts
    const size_t second = chunk + good.first.size();            // and the second
    const size_t stream = chunk + REPLAY_CHUNK_HEADER_SIZE + 2; // within the first one's stream
    const auto patch32 = [](std::string& bytes, size_t at, uint32_t value) {
        writeU32(reinterpret_cast<uint8_t*>(bytes.data()) + at, value);
    };
    struct damage {
        const char* what;
        std::function<std::string()> make;
        const char* reason;
    };
    const damage cases[] = {
        {"a sound file", [] { return std::string("RIFF....WAVEfmt "); }, "is not a ZEB replay"},
        {"an empty file", [] { return std::string(); }, "is not a ZEB replay"},
        {"a newer version",
         [&] {
             std::string b = good.bytes();
             patch32(b, 4, 2);
             return b;
         },
         "version 2"},
        {"a header cut short", [&] { return good.bytes().substr(0, chunk - 2); }, "its header"},
        {"a level in another folder", [] { return makeSmallFile("../level_0.xml").bytes(); }, "its header"},
        {"a name with a control character", [] { return makeSmallFile(replaytest::LEVEL, "A\x1b").bytes(); },
         "its header"},
        {"no chunk", [&] { return good.bytes().substr(0, chunk); }, "holds no recorded game"},
        {"a chunk without its mark",
         [&] {
             std::string b = good.bytes();
             b[chunk] = 'X';
             return b;
         },
         "chunk 1 has no valid header"},
        {"the last chunk cut short",
         [&] {
             std::string b = good.bytes();
             b.pop_back();
             return b;
         },
         "chunk 2 is cut short"},
        {"a chunk before the one it follows",
         [&] {
             std::string b = good.bytes();
             patch32(b, second + 4, 5);
             return b;
         },
         "chunk 2 is cut short, out of order or too long"},
        {"a chunk starting when the one before it does",
         [&] {
             smallFile same = good;
             ZEBReplayChunkBuilder first;
             first.keyframe(20, fullStateOf(0), writePlayerStats({}));
             same.first = first.pack();
             return same.bytes();
         },
         "chunk 2 is cut short, out of order or too long"},
        {"a chunk longer than a jump may play",
         [&] {
             std::string b = good.bytes();
             patch32(b, second + 8, 20 + MAX_CHUNK_SPAN_MS + 1);
             return b;
         },
         "chunk 2 is cut short, out of order or too long"},
        {"an unpacked size beyond the bound",
         [&] {
             std::string b = good.bytes();
             patch32(b, chunk + 12, MAX_CHUNK_RAW_BYTES + 1);
             return b;
         },
         "chunk 1 is cut short, out of order or too long"},
        {"an unpacked size too small",
         [&] {
             std::string b = good.bytes();
             patch32(b, chunk + 12, 3);
             return b;
         },
         "chunk 1 cannot be unpacked"},
        {"a damaged stream",
         [&] {
             std::string b = good.bytes();
             b[stream] ^= 0x5A;
             return b;
         },
         "chunk 1 cannot be unpacked"},
        {"an end before the last chunk",
         [&] {
             smallFile ended = good;
             ZEBReplayChunkBuilder first;
             first.keyframe(0, fullStateOf(0), writePlayerStats({}));
             first.end(10);
             ended.first = first.pack();
             return ended.bytes();
         },
         "the game ends in chunk 1 of 2"},
    };
    for (const damage& c : cases) {
        ZEBReplayFile file;
        std::string error;
        EXPECT_FALSE(file.load(c.make(), error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
    ZEBReplayFile file;
    std::string error;
    EXPECT_TRUE(file.load(good.bytes(), error)) << error;
}

// The window opens on a file whose first chunk is sound; a damaged chunk
// further on is unpacked only when played to, and the replay stops there.
TEST(ReplayFile, AChunkFurtherOnIsUnpackedOnlyWhenPlayedTo) {
    smallFile damaged = makeSmallFile();
    damaged.second[REPLAY_CHUNK_HEADER_SIZE + 2] ^= 0x5A;
    ZEBReplayFile file;
    std::string error;
    ASSERT_TRUE(file.load(damaged.bytes(), error)) << error;
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    ASSERT_TRUE(player.start());
    for (int frame = 0; frame < 3 && !player.isBroken(); ++frame)
        player.advance(play::FRAME);
    EXPECT_TRUE(player.isBroken());
    EXPECT_NE(player.getError().find("chunk 2 cannot be unpacked"), std::string::npos) << player.getError();
    EXPECT_EQ(player.advance(play::FRAME), 0.0f);
}

// Chunks a millisecond apart, each of more messages than a frame takes: a
// frame hands the collector its bound and keeps one chunk unpacked, and the
// frames that follow play the rest.
TEST(ReplayFile, AFrameTakesAtMostItsBoundFromACrowdedMoment) {
    constexpr int CHUNKS = 4;
    ZEBReplayFile file;
    std::string error;
    ASSERT_TRUE(
        file.load(replaytest::craftCrowdedRecording(CHUNKS, 1, REPLAY_FRAME_MAX_MESSAGES + 10), error))
        << error;
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    ASSERT_TRUE(player.start());
    player.advance(play::FRAME);
    EXPECT_LT(player.getChunkIndex(), 2);
    for (int frame = 0; frame < 3 * CHUNKS && player.getChunkIndex() + 1 < CHUNKS; ++frame)
        player.advance(play::FRAME);
    EXPECT_EQ(player.getChunkIndex(), CHUNKS - 1);
    EXPECT_FALSE(player.isBroken());
}

// A message larger than a reader takes is left out and counted; the rest of
// the recording plays.
TEST(ReplayFile, AMessageTooLargeToReplayIsLeftOutAndCounted) {
    ZEBReplayChunkBuilder builder;
    builder.keyframe(0, fullStateOf(0), writePlayerStats({}));
    const std::vector<uint8_t> largest(MAX_RECORD_PAYLOAD, 1);
    EXPECT_TRUE(builder.message(1, networkMessage(MSG_EXPLOSION, largest.data(), MAX_RECORD_PAYLOAD)));
    const std::vector<uint8_t> over(MAX_RECORD_PAYLOAD + 1, 1);
    EXPECT_FALSE(builder.message(1, networkMessage(MSG_EXPLOSION, over.data(), MAX_RECORD_PAYLOAD + 1)));

    const std::string path = "test_replay_large_message.zebreplay";
    uint64_t leftOut = 0;
    const std::vector<uint8_t> huge(900 * 1024, 7);
    ASSERT_TRUE(replaytest::recordBotGame(
        path, 2, 1, 90,
        [&](int frame, play::Harness& game) {
            if (frame == 45)
                game.clients[0]->inbox.push(networkMessage(MSG_EXPLOSION, huge.data(), 900 * 1024));
        },
        &leftOut));
    EXPECT_EQ(leftOut, 1u);
    ZEBReplayFile file;
    std::string error;
    ASSERT_TRUE(file.load(readBytes(path), error)) << error;
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    ASSERT_TRUE(player.start());
    while (!player.isAtEnd() && !player.isBroken())
        player.advance(play::FRAME);
    EXPECT_FALSE(player.isBroken()) << player.getError();
}

// The records inside a chunk, as unpacked.
TEST(ReplayFile, DamagedRecordsAreRefusedWithAReason) {
    const auto records = [](const std::function<void(ZEBReplayChunkBuilder&)>& write) {
        ZEBReplayChunkBuilder builder;
        write(builder);
        const std::vector<uint8_t> packed = builder.pack();
        std::vector<uint8_t> raw;
        inflateBytes(packed.data() + REPLAY_CHUNK_HEADER_SIZE, packed.size() - REPLAY_CHUNK_HEADER_SIZE,
                     builder.getRawSize(), raw);
        return raw;
    };
    const auto keyframe = [](ZEBReplayChunkBuilder& b) {
        b.keyframe(0, fullStateOf(0), writePlayerStats({}));
    };
    struct damage {
        const char* what;
        std::vector<uint8_t> raw;
        const char* reason;
    };
    std::vector<uint8_t> longPayload = records([&](ZEBReplayChunkBuilder& b) {
        keyframe(b);
        b.message(5, writeExplosion(Explosion()));
    });
    writeU32(longPayload.data() + longPayload.size() - EXPLOSION_SIZE - 4, MAX_RECORD_PAYLOAD + 1);
    std::vector<uint8_t> unknownKind = records([&](ZEBReplayChunkBuilder& b) {
        keyframe(b);
        b.message(5, writeExplosion(Explosion()));
    });
    unknownKind[unknownKind.size() - EXPLOSION_SIZE - 4 - 4 - 4 - 1] = 'Q';
    const damage cases[] = {
        {"no keyframe", records([](ZEBReplayChunkBuilder& b) { b.message(0, writeExplosion(Explosion())); }),
         "keyframe"},
        {"a keyframe whose ship is not among its elements",
         records([](ZEBReplayChunkBuilder& b) { b.keyframe(0, fullStateOf(1), writePlayerStats({})); }),
         "keyframe"},
        {"a keyframe with a broken score table", records([](ZEBReplayChunkBuilder& b) {
             b.keyframe(0, fullStateOf(0), writeExplosion(Explosion()));
         }),
         "keyframe"},
        {"a message before the one it follows", records([&](ZEBReplayChunkBuilder& b) {
             keyframe(b);
             b.message(9, writeExplosion(Explosion()));
             b.message(8, writeExplosion(Explosion()));
         }),
         "out of order"},
        {"a record after the end", records([&](ZEBReplayChunkBuilder& b) {
             keyframe(b);
             b.end(9);
             b.message(9, writeExplosion(Explosion()));
         }),
         "out of order"},
        {"a payload beyond the bound", longPayload, "message record is damaged"},
        {"a record of no known kind", unknownKind, "message record is damaged"},
    };
    for (const damage& c : cases) {
        ZEBReplayChunk chunk;
        std::string error;
        EXPECT_FALSE(readReplayRecords(c.raw.data(), c.raw.size(), 0, 9, chunk, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
}

TEST(ReplayFolder, TheNewestTenWithinTheAllowanceAreKept) {
    EXPECT_EQ(replayFileName(0, 5), "1970-01-01_00-00-00-005.zebreplay");
    const auto named = [](int minute, uint64_t megabytes) {
        return folderFile{replayFileName(60 * minute, 0), megabytes * 1024 * 1024};
    };
    struct folder {
        const char* what;
        std::vector<folderFile> files;
        std::vector<std::string> removed; // oldest first
    };
    std::vector<folderFile> twelve;
    for (int minute = 12; minute >= 1; --minute)
        twelve.push_back(named(minute, 1));
    const folder cases[] = {
        {"ten or fewer", {named(1, 1), named(2, 1)}, {}},
        {"twelve", twelve, {replayFileName(60, 0), replayFileName(120, 0)}},
        {"too large together", {named(3, 40), named(1, 40), named(2, 40)}, {replayFileName(60, 0)}},
        {"other files",
         {{"notes.zebreplay", 900u * 1024 * 1024}, {"2026-12-07_21-40-05.zebreplay", 1}, named(1, 1)},
         {}},
    };
    for (const folder& c : cases)
        EXPECT_EQ(recordingsToRemove(c.files, KEPT_RECORDINGS, KEPT_RECORDINGS_BYTES), c.removed) << c.what;
}

} // namespace
