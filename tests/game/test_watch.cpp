// Copies that watch a game without a ship, beside players and beside copies
// that know only the design's messages.

#include "game/replay/zebreplayplayer.h"
#include "game/replay/zebreplayrecorder.h"
#include "game/windowed/hud/chatpanel.h"
#include "tests/game/playharness.h"
#include "tests/game/replay/recordedgame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using play::Client;
using play::Harness;

namespace {

Client& join(Harness& h, uint32_t id, const std::string& name, bool watching = false, bool strict = false) {
    Client& client = h.addClient(id, name);
    client.collector.setWatching(watching);
    client.strict = strict;
    h.connect(id);
    return client;
}

using names = std::vector<std::string>;

} // namespace

TEST(Watching, AWatcherSeesTheGameTakesNoPlaceChatsAndIsListedOnlyToCopiesThatShowIt) {
    Harness h(1);
    Client& ann = join(h, 11, "Ann");
    Client& old = join(h, 12, "Old", false, true);
    Client& eve = join(h, 13, "Eve", true);
    Client& cal = join(h, 14, "Cal", true);
    cal.collector.setAnnounced(OWN_CAPABILITIES); // takes the compact stream
    ASSERT_TRUE(h.joinAll());
    h.step();
    EXPECT_EQ(eve.collector.getOwnIndex(), WATCHER_SHIP_ID);
    EXPECT_TRUE(cal.collector.isCompact());
    EXPECT_EQ(h.game.getConnectedPlayerCount(), 2);
    EXPECT_EQ(h.game.getPlayerCount(), 2);
    EXPECT_EQ(ann.collector.getWatchers(), (names{"Eve", "Cal"}));
    EXPECT_EQ(eve.collector.getWatchers(), (names{"Eve", "Cal"}));

    // It holds the game as a player does, Ann's turning ship and the asteroids alike.
    ann.input.left = true;
    h.steps(60);
    ASSERT_EQ(eve.collector.getElementCount(), old.collector.getElementCount());
    for (int id = 0; id < eve.collector.getElementCount(); ++id) {
        if (id == old.collector.getOwnIndex())
            continue;
        EXPECT_EQ(eve.collector.getDrawnPosition(id), old.collector.getDrawnPosition(id)) << id;
        EXPECT_EQ(eve.collector.getDrawnRotation(id), old.collector.getDrawnRotation(id)) << id;
        EXPECT_LT(play::seenDistance(cal.collector.getDrawnPosition(id), old.collector.getDrawnPosition(id)),
                  0.05f)
            << id;
    }
    EXPECT_NE(eve.collector.getDrawnRotation(ann.collector.getOwnIndex()),
              h.game.spawnRotation(h.playerIndex(ann)));
    EXPECT_EQ(eve.collector.getStatsCount(), 2);

    eve.collector.say("nice turn");
    h.steps(2);
    std::vector<ChatLine> heard;
    ann.collector.takeChatLines(heard);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_STREQ(heard[0].name, "Eve");
    EXPECT_EQ(heard[0].senderID, CHAT_FROM_WATCHER);

    h.disconnect(eve);
    h.disconnect(cal);
    h.steps(2);
    EXPECT_EQ(h.game.getWatcherCount(), 0);
    EXPECT_TRUE(ann.collector.getWatchers().empty());
    for (const networkMessage& message : old.seen)
        EXPECT_TRUE(play::isDesignServerType(message.getType())) << "type " << message.getType();
}

TEST(Watching, AHostTakesSixteenWatchersRefusesTheNextAndStillHasEveryPlace) {
    Harness h(1);
    for (uint32_t id = 100; id < 100 + MAX_WATCHERS + 1; ++id)
        join(h, id, "W" + std::to_string(id), true);
    h.steps(3);
    EXPECT_EQ(h.game.getWatcherCount(), MAX_WATCHERS);
    std::vector<PlayerRefusal> refusals;
    h.game.takeRefusals(refusals);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].playerID, 100u + MAX_WATCHERS);
    EXPECT_EQ(refusals[0].reason, refusalReason::gameFull);
    EXPECT_FALSE(h.clients.back()->collector.hasJoined());

    for (uint32_t id = 1; id <= MAX_PLAYERS; ++id)
        join(h, id, "P" + std::to_string(id));
    h.steps(3);
    EXPECT_EQ(h.game.getConnectedPlayerCount(), MAX_PLAYERS);
    EXPECT_EQ(h.clients.back()->collector.getWatchers().size(), static_cast<size_t>(MAX_WATCHERS));
}

// A name that would leave no room for the request is cut, at a character's start.
TEST(Watching, AWatcherWithTheLongestNameStillAsksToWatch) {
    Harness h(1);
    const std::string longest = std::string(JOIN_ANNOUNCEMENT_MAX_NAME - 1, 'e') + "\xC3\xA9" + "ee";
    Client& eve = join(h, 13, longest, true);
    ASSERT_TRUE(h.joinAll());
    EXPECT_EQ(eve.collector.getOwnIndex(), WATCHER_SHIP_ID);
    EXPECT_EQ(std::string(h.game.getWatcher(0).name), longest.substr(0, JOIN_ANNOUNCEMENT_MAX_NAME - 1));
}

TEST(Watching, AHostOfTheDesignAloneIsSentNothingNewAndTheWatcherDoesNotJoinItsShip) {
    Harness h(1);
    h.strictHost = true;
    Client& eve = join(h, 13, "Eve", true);
    h.steps(5);
    EXPECT_TRUE(eve.collector.wasRefusedWatching());
    EXPECT_FALSE(eve.collector.hasJoined());
    EXPECT_TRUE(h.droppedByHost.empty());
}

TEST(Watching, TheListOfWatchersIsReadOnlyWhenItsCountAndSizeAgree) {
    const networkMessage two = writeWatchers({"Eve", "Bad\x1b[31m"});
    std::vector<std::string> read;
    ASSERT_TRUE(readWatchers(two.getData(), two.getDataSize(), &read));
    EXPECT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], "Eve");
    EXPECT_EQ(read[1].find('\x1b'), std::string::npos);

    std::vector<uint8_t> tooMany(4 + (MAX_WATCHERS + 1) * PLAYER_NAME_SIZE, 0);
    tooMany[0] = MAX_WATCHERS + 1;
    const struct {
        const uint8_t* data;
        int size;
    } bad[] = {{two.getData(), two.getDataSize() - 1},
               {two.getData(), 3},
               {nullptr, 0},
               {tooMany.data(), static_cast<int>(tooMany.size())}};
    for (const auto& row : bad)
        EXPECT_FALSE(readWatchers(row.data, row.size, &read)) << row.size;
}

// A player who watches keeps its place: its row reads "(watching)" and it
// comes back as a player with its colour and score, in no new row. A watcher
// who goes for good leaves its row "[Disconnected]" once the wait is over.
TEST(Watching, APlayerWhoWatchesKeepsItsPlaceAndComesBackToIt) {
    for (const bool returns : {true, false}) {
        Harness h(1);
        Client& ann = join(h, 11, "Ann");
        Client& bob = join(h, 12, "Bob");
        ASSERT_TRUE(h.joinAll());
        const int place = h.playerIndex(bob);
        const int ship = bob.collector.getOwnIndex();
        playerOf(h.game, place).score = 35;
        const colour4 colour = h.game.getElement(ship).getColour();

        h.disconnect(bob);
        join(h, 13, "Bob", true);
        h.steps(45);
        EXPECT_STREQ(h.game.getPlayer(place).name, "Bob (watching)");
        EXPECT_EQ(h.game.getPlayer(place).score, 35);
        EXPECT_EQ(ann.collector.getStatsCount(), 2);

        h.disconnect(*h.clients.back());
        if (returns) {
            h.step();
            Client& back = join(h, 14, "Bob");
            ASSERT_TRUE(h.joinAll());
            h.steps(45);
            EXPECT_EQ(back.collector.getOwnIndex(), ship);
            EXPECT_EQ(h.playerIndex(back), place);
            EXPECT_EQ(h.game.getPlayer(place).score, 35);
            EXPECT_STREQ(h.game.getPlayer(place).name, "Bob");
            EXPECT_TRUE(h.game.getElement(ship).getColour() == colour);
        } else {
            h.steps(static_cast<int>(WATCH_RETURN_WAIT * 45) + 2);
            EXPECT_STREQ(h.game.getPlayer(place).name, "Bob [Disconnected]");
        }
        EXPECT_EQ(h.game.getPlayerCount(), 2);
        EXPECT_EQ(ann.collector.getStatsCount(), 2);
    }
}

// A copy that watches records what it sees as a player's copy does, and its
// recording plays; a recording that never saw the game leaves no file.
TEST(Watching, AWatchersRecordingPlaysAndAnEmptyOneLeavesNoFile) {
    Harness h(1);
    join(h, 11, "Ann");
    Client& eve = join(h, 12, "Eve", true);
    eve.collector.setAnnounced(OWN_CAPABILITIES);
    ASSERT_TRUE(h.joinAll());
    const std::string path = "test_watch_watcher.zebreplay";
    ZEBReplayRecorder recorder;
    ASSERT_TRUE(recorder.start(path, "level_0.xml", "Eve"));
    for (int frame = 1; frame <= 90; ++frame) {
        if (frame == 45)
            h.hostSays("welcome");
        recorder.noteFrame(play::FRAME, eve.inbox, eve.collector);
        h.step();
    }
    recorder.finish();
    ZEBReplayFile file;
    std::string error;
    ASSERT_TRUE(replaytest::loadRecording(path, file, error)) << error;
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    ASSERT_TRUE(player.start());
    std::vector<ChatLine> heard;
    while (!player.isAtEnd() && player.advance(play::FRAME) > 0.0f) {
        std::vector<ChatLine> lines;
        collector.takeChatLines(lines);
        heard.insert(heard.end(), lines.begin(), lines.end());
    }
    EXPECT_EQ(collector.getElementCount(), eve.collector.getElementCount());
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].text, "welcome");

    const std::string empty = "test_watch_empty.zebreplay";
    ZEBGameStateCollector neverJoined;
    ASSERT_TRUE(recorder.start(empty, "level_0.xml", "Nobody"));
    recorder.noteFrame(play::FRAME, messageQueue(), neverJoined);
    recorder.finish();
    EXPECT_FALSE(std::filesystem::exists(empty));
}

// A watcher's line is marked as one and drawn in neither a ship's colour nor
// the host's grey, so it passes neither for a player's nor for the host's.
TEST(Watching, AWatchersLineIsMarkedAndNeverDrawnAsTheHosts) {
    Harness h(1);
    Client& ann = join(h, 11, "Ann");
    Client& eve = join(h, 13, "Eve", true);
    ASSERT_TRUE(h.joinAll());
    h.steps(60); // the score table
    eve.collector.say("hi");
    ann.collector.say("yo");
    h.steps(2);
    h.hostSays("welcome");
    h.steps(2);
    ZEBChatPanel chat;
    chat.takeFrom(ann.collector);
    const auto shown = [&](const std::string& text) {
        for (const shownChatLine& line : chat.getLines()) {
            if (line.text == text)
                return line.colour;
        }
        ADD_FAILURE() << "not shown: " << text;
        return colour4();
    };
    const colour4 host = shown("Host: welcome");
    const colour4 watcher = shown("Eve (watching): hi");
    const colour4 player = shown("Ann: yo");
    EXPECT_EQ(player, h.game.getElement(ann.collector.getOwnIndex()).getColour());
    EXPECT_NE(watcher, host);
    EXPECT_NE(watcher, player);
}
