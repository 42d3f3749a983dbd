#include "game/client/zebgamestatecollector.h"
#include "game/common/gamenames.h"
#include "game/common/options.h"
#include "game/replay/zebreplayplayer.h"
#include "game/server/zebgamestategame.h"
#include "game/windowed/draw/zebobjectparticlesystem.h"
#include "game/windowed/windowedgame.h"
#include "networklib/messagelog.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "platform/system/menustrip.h"
#include "platform/system/syntheticinput.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/window.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace win;

namespace {

constexpr float FRAME = 0.03f;

// Takes what the window system has queued, as the window's loop does before a frame.
void pump() {
    windowMessage message;
    for (int pass = 0; pass < 100; ++pass) {
        if (peekMessage(message) && message.message != WM_QUIT)
            dispatchMessage(message);
    }
}

// Runs accepted frames, letting the window's events in and the network
// deliver between them, until condition holds; false when it has not after maxFrames.
template <typename Condition> bool framesUntil(ZEBWindowedGame& game, Condition condition, int maxFrames) {
    for (int frame = 0; frame < maxFrames; ++frame) {
        pump();
        EXPECT_TRUE(game.update(FRAME));
        if (condition())
            return true;
        waitUntil([] { return false; }, 2);
    }
    return false;
}

int visibleBullets(const ZEBGameStateCollector& collector) {
    int count = 0;
    for (int e = 0; e < collector.getElementCount(); ++e) {
        const ZEBGameStateElement& element = collector.getElementState(e);
        count += (element.isVisible() && element.getType() == TYPE_BULLET) ? 1 : 0;
    }
    return count;
}

// This process alone on its discovery port, working in a folder of its own
// that holds the game's data, with the game's window open; null when it cannot be.
gameWindow* openWindowAlone(const std::string& tag, std::string& folder) {
    useLoopbackDiscovery();
    useHeadlessDrivers();
    folder = makeTempFolder(tag);
    const char* reason = "";
    if (!copyGameData(folder) || chdir(folder.c_str()) != 0 || !initialiseWindowSystem(&reason)) {
        ADD_FAILURE() << reason;
        return nullptr;
    }
    return createGameWindow(WINDOW_TITLE, nullptr);
}

void press(uint32_t key, bool alt = false) {
    pushKeyEvent(key, true, alt, false);
    pushKeyEvent(key, false, alt, false);
}

// The game reads which keys are down once a frame: a key that opens the line
// is held over a frame, as a player's press is.
template <typename Condition> bool holdUntil(ZEBWindowedGame& game, uint32_t key, Condition condition) {
    pushKeyEvent(key, true, false, false);
    const bool done = framesUntil(game, condition, 10);
    pushKeyEvent(key, false, false, false);
    return done;
}

bool openLine(ZEBWindowedGame& game, uint32_t key) {
    return holdUntil(game, key, [&] { return game.isTyping(); });
}

// The recording this process made last, among the user's recordings.
std::string newestRecording() {
    std::filesystem::path newest;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::getenv("XDG_DATA_HOME"))) {
        if (entry.path().extension() == ".zebreplay" &&
            (newest.empty() || entry.last_write_time() > std::filesystem::last_write_time(newest)))
            newest = entry.path();
    }
    return newest.string();
}

bool shows(const ZEBWindowedGame& game, const std::string& text) {
    for (const shownChatLine& line : game.getChat().getLines()) {
        if (line.text == text)
            return true;
    }
    return false;
}

// One process alone on its discovery port: it hosts "The Game", joins it
// through the network like any other player, plays and loses its game.
TEST(shellSession, hostsJoinsPlaysAndLosesItsGame) {
    std::string folder; // the level is read and the message log written here
    gameWindow* window = openWindowAlone("session", folder);
    ASSERT_NE(window, nullptr);
    messageLog::keepMessageLog(MESSAGE_LOG_FILE_NAME); // as --log does
    gameOptions options;
    options.port = findFreePort();
    auto game = std::make_unique<ZEBWindowedGame>(options);
    game->attachWindow(window);
    keyStates& keys = game->getKeys();
    keys.set(KEY_W, true);
    game->getInput().fire = true;

    // Set-up runs in the frames: it searches, hosts, then joins its own game.
    game->start();
    std::vector<setupStage> stages = {game->getStage()};
    ASSERT_TRUE(framesUntil(
        *game,
        [&] {
            if (stages.back() != game->getStage())
                stages.push_back(game->getStage());
            return game->isPlaying();
        },
        3000));
    EXPECT_EQ(stages,
              (std::vector<setupStage>{setupStage::searching, setupStage::claiming, setupStage::hosting,
                                       setupStage::connecting, setupStage::joining, setupStage::playing}));
    ASSERT_NE(game->getHosted(), nullptr);
    ZEBClientSession* session = game->getSession();
    ASSERT_NE(session, nullptr);
    ZEBGameStateCollector& collector = session->getCollector();
    EXPECT_TRUE(collector.hasJoined());
    EXPECT_TRUE(keys == keyStates()); // what was held before the game began is not played
    EXPECT_FALSE(game->getInput().fire);
    EXPECT_FALSE(session->getShapes().empty());
    EXPECT_EQ(game->getHosted()->getShapes().size(), session->getShapes().size());

    // Space fires; a bullet that has flown its second explodes, which the
    // frame turns into an effect and the bullet's sound.
    keys.set(KEY_SPACE, true);
    ASSERT_TRUE(framesUntil(
        *game, [&] { return visibleBullets(collector) > 0; }, 900)); // the ship may wait
    keys.set(KEY_SPACE, false);
    ASSERT_TRUE(framesUntil(
        *game, [&] { return !session->getEffects().empty(); }, 400));
    game->render();
    // Every effect ends and is removed.
    ASSERT_TRUE(framesUntil(
        *game, [&] { return session->getEffects().empty(); }, 400));
    ASSERT_TRUE(framesUntil(
        *game, [&] { return collector.getStatsCount() > 0; }, 200)); // a score table came

    // Another player is connected when this copy's own connection goes: the
    // game stops, the copy stops hosting and the other player is told.
    networkClient other;
    other.setApplicationGuid(APPLICATION_GUID);
    other.initialise();
    ASSERT_TRUE(other.connectTo("127.0.0.1:" + std::to_string(game->getHosted()->getHost().getPort())));
    ASSERT_TRUE(waitUntil([&] { return other.isConnected(); }, 3000));
    const colour4 rarest = game->getHosted()->getGame().getPlayerColour(PLAYER_COLOUR_COUNT - 1);
    session->getConnection().disconnect();
    EXPECT_TRUE(game->update(FRAME));
    EXPECT_EQ(game->getStage(), setupStage::unavailable);
    EXPECT_EQ(game->getHosted(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return !other.isConnected(); }, 3000));
    EXPECT_EQ(other.getEnd(), networkEnd::hostStopped);
    EXPECT_EQ(collector.getElementCount(), 0);
    EXPECT_FALSE(collector.hasJoined());
    EXPECT_TRUE(game->update(FRAME));
    game->render();

    // The copy kept the last table it saw; the game it hosts next gives it
    // its place back, with the colour and score that table gave it (the
    // last colour, which a fresh game hands out only on one draw in 32768).
    std::vector<PlayerStats>& former = game->getFormerTable();
    ASSERT_EQ(former.size(), 1u);
    EXPECT_STREQ(former[0].name, PLAYER_NAME);
    former[0].colour = rarest;
    former[0].score = 35;
    game->restartSession();
    ASSERT_TRUE(framesUntil(
        *game, [&] { return game->isPlaying() && game->getSession()->getCollector().getStatsCount() > 0; },
        3000));
    const ZEBGameStateCollector& again = game->getSession()->getCollector();
    EXPECT_TRUE(again.isOwnStatsRow(0));
    EXPECT_TRUE(again.getStatsColour(0) == rarest);
    EXPECT_EQ(again.getStatsScore(0), 35);

    game.reset(); // the game ends with its owner
    const std::vector<int> log = readLogTypes(folder + "/message_log.csv");
    EXPECT_EQ(countType(log, 1), 3); // its own client and the other player, then its own client again
    EXPECT_EQ(countType(log, 6), 2);
    EXPECT_GE(countType(log, MSG_COMPACT_STATE), 1); // the copy took the game's state in the compact stream
    destroyWindow(window);
}

// A window of this process hosting its own game on loopback, playing in it.
class windowHostingItsGame : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string folder;
        window = openWindowAlone("hosting", folder);
        ASSERT_NE(window, nullptr);
        options.port = findFreePort();
        game = std::make_unique<ZEBWindowedGame>(options);
        game->attachWindow(window);
        game->start();
        ASSERT_TRUE(framesUntil(
            *game, [&] { return game->isPlaying() && game->getSession()->getCollector().canChat(); }, 3000));
    }
    void TearDown() override {
        game.reset();
        if (window != nullptr)
            destroyWindow(window);
    }

    gameWindow* window = nullptr;
    gameOptions options;
    std::unique_ptr<ZEBWindowedGame> game;
};

// A window serving browsers offers their address as a QR code from the File
// menu; the box takes the keys until it closes.
class windowServingBrowsers : public windowHostingItsGame {
  protected:
    void SetUp() override {
        options.web = true; // on a port the system picks
        windowHostingItsGame::SetUp();
    }
};

TEST_F(windowServingBrowsers, fileJoinFromAPhoneShowsTheFirstAddressUntilClosed) {
    ASSERT_TRUE(game->getHosted()->isServingWeb());
    EXPECT_EQ(getJoinAddress(window), game->getHosted()->getHost().getWebAddresses().front());
    press('F', true);
    press('J');
    ASSERT_TRUE(framesUntil(
        *game, [&] { return isJoinBoxOpen(window); }, 10));
    game->render();                                                           // drawn over the game
    EXPECT_FALSE(holdUntil(*game, 'W', [&] { return game->getInput().up; })); // the box takes it
    press(VK_ESCAPE);
    EXPECT_TRUE(framesUntil(
        *game, [&] { return !isJoinBoxOpen(window); }, 10));
}

// A window hosting its own game on loopback: T opens the line, the ship's
// keys stop acting, Enter sends it through the host and back to the window;
// Escape drops a line.
TEST_F(windowHostingItsGame, aLineTypedInTheWindowComesBackFromTheHostAndEscapeDropsOne) {
    // The window system may turn the press that opened the line into its
    // character after the line opened: it is not typed.
    ASSERT_TRUE(holdUntil(*game, 'T', [&] {
        if (game->isTyping())
            pushTextEvent("t");
        return game->isTyping();
    }));
    pushKeyEvent('W', true, false, false); // thrust, while typing
    pushTextEvent("hi th");
    pushTextEvent("\xC3\xA9!"); // Backspace takes back a whole character
    press(VK_BACK);
    press(VK_BACK);
    pushTextEvent("ere");
    ASSERT_TRUE(framesUntil(
        *game, [&] { return game->getTextEntry().getText() == "hi there"; }, 10))
        << game->getTextEntry().getText();
    EXPECT_FALSE(game->getKeys().isDown('W'));
    EXPECT_FALSE(game->getInput().up);
    game->render();
    press(VK_RETURN);
    const std::string expected = game->getPlayerName() + ": hi there";
    ASSERT_TRUE(framesUntil(
        *game, [&] { return shows(*game, expected); }, 300));
    EXPECT_FALSE(game->isTyping());
    game->render();

    ASSERT_TRUE(openLine(*game, VK_RETURN)); // Enter opens a line too
    pushTextEvent("never");
    press(VK_ESCAPE);
    ASSERT_TRUE(framesUntil(
        *game, [&] { return !game->isTyping(); }, 10));
    ASSERT_TRUE(openLine(*game, 'T'));
    pushTextEvent("last");
    press(VK_RETURN);
    ASSERT_TRUE(framesUntil(
        *game, [&] { return shows(*game, game->getPlayerName() + ": last"); }, 300));
    EXPECT_FALSE(shows(*game, game->getPlayerName() + ": never"));

    // The hosting copy's recording holds its own lines.
    const std::string name = game->getPlayerName();
    game.reset();
    ZEBReplayFile file;
    std::string error;
    ASSERT_TRUE(file.load(readFile(newestRecording()), error)) << error;
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    ASSERT_TRUE(player.start());
    std::vector<std::string> heard;
    for (int frame = 0; frame < 100000 && !player.isAtEnd(); ++frame) {
        player.advance(FRAME);
        std::vector<ChatLine> lines;
        collector.takeChatLines(lines);
        for (const ChatLine& line : lines)
            heard.push_back(std::string(line.name) + ": " + line.text);
    }
    EXPECT_EQ(heard, (std::vector<std::string>{name + ": hi there", name + ": last"}));
}

// A window hosting its own game beside another player: File > Watch joins it
// again without a ship, Tab follows the other player and then shows the whole
// field again, and File > Watch plays again.
TEST_F(windowHostingItsGame, fileWatchGivesUpTheShipTabFollowsAPlayerAndWatchAgainPlays) {
    networkClient link;
    link.setApplicationGuid(APPLICATION_GUID);
    link.initialise();
    ASSERT_TRUE(link.connectTo("127.0.0.1:" + std::to_string(options.port)));
    ZEBGameStateCollector ann;
    ann.setPlayerName("Ann");
    const auto both = [&](auto condition) {
        return [&, condition] {
            messageQueue in;
            messageQueue out;
            link.receiveMessages(in);
            ann.update(FRAME, in, out);
            link.sendMessages(out);
            return condition();
        };
    };
    const auto watchers = [&] { return game->getSession()->getCollector().getWatchers(); };

    dispatchMessage({WM_COMMAND, COMMAND_WATCH, 0});
    ASSERT_TRUE(framesUntil(*game, both([&] {
        return game->isPlaying() && game->isWatching() && ann.hasJoined() && watchers().size() == 1 &&
               game->getSession()->getCollector().getStatsCount() == 2;
    }),
                            3000));
    EXPECT_EQ(game->getSession()->getCollector().getOwnIndex(), WATCHER_SHIP_ID);
    EXPECT_EQ(game->getHosted()->getGame().getConnectedPlayerCount(), 1);
    const float wholeField = game->getSession()->getCamera().getPosition().z;
    ASSERT_TRUE(holdUntil(*game, VK_TAB, both([&] { return game->getFollowed() == ann.getOwnIndex(); })));
    game->render();
    EXPECT_GT(game->getSession()->getCamera().getPosition().z, wholeField); // closer
    ASSERT_TRUE(holdUntil(*game, VK_TAB, both([&] { return game->getFollowed() < 0; })));
    game->render();
    EXPECT_EQ(game->getSession()->getCamera().getPosition().z, wholeField);

    dispatchMessage({WM_COMMAND, COMMAND_WATCH, 0});
    ASSERT_TRUE(framesUntil(*game, both([&] {
        return game->isPlaying() && !game->isWatching() &&
               game->getSession()->getCollector().getOwnIndex() >= 0 && ann.getWatchers().empty();
    }),
                            3000));
    EXPECT_EQ(game->getHosted()->getGame().getConnectedPlayerCount(), 2);
}

// A player idles in a dedicated host's quiet game for 20 s of real frames:
// the host sends little, yet the window never says the connection is going.
// Once the host is stopped it says so, within a bound of the link's ping.
TEST(shellSession, aQuietGameNeverShowsConnectionLostAndAStoppedHostDoes) {
    std::string folder;
    gameWindow* window = openWindowAlone("quiet", folder);
    ASSERT_NE(window, nullptr);
    const uint16_t port = findFreePort();
    appProcess host = startProgram(ZEB_PROGRAM, {"--server", "--port", std::to_string(port)}, folder);
    gameOptions options;
    options.connectHost = "127.0.0.1";
    options.connectPort = port;
    auto game = std::make_unique<ZEBWindowedGame>(options);
    game->attachWindow(window);
    game->start();
    ASSERT_TRUE(framesUntil(
        *game, [&] { return game->isPlaying(); }, 3000));

    // Frames as the window's loop runs them: each takes the time that passed.
    uint64_t last = monotonicMilliseconds();
    const auto realFrame = [&] {
        const uint64_t due = last + 23; // a frame is due every 1/45 s
        waitUntil([&] { return monotonicMilliseconds() >= due; }, 23);
        pump();
        const uint64_t now = monotonicMilliseconds();
        EXPECT_TRUE(game->update(static_cast<float>(now - last) / 1000.0f));
        last = now;
        return game->showsConnectionLost();
    };
    int frames = 0;
    int lostFrames = 0;
    for (const uint64_t end = last + 20000; last < end; ++frames)
        lostFrames += realFrame() ? 1 : 0;
    EXPECT_GT(frames, 200);
    EXPECT_EQ(lostFrames, 0);

    stopProcess(host, SIGSTOP);
    const uint64_t stopped = monotonicMilliseconds();
    while (!realFrame() && monotonicMilliseconds() - stopped < 10000) {
    }
    EXPECT_TRUE(game->showsConnectionLost());
    std::printf("the window said the connection is going %llu ms after the host stopped\n",
                static_cast<unsigned long long>(monotonicMilliseconds() - stopped));
    stopProcess(host, SIGCONT);
    killAndReap(host);
    game.reset();
    destroyWindow(window);
}

} // namespace
