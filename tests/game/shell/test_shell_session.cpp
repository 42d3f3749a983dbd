#include "game/client/zebgamestatecollector.h"
#include "game/client/zebobjectparticlesystem.h"
#include "game/server/zebgamestategame.h"
#include "game/shell/gameshell.h"
#include "game/shell/shelloptions.h"
#include "networklib/messagelog.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "platform/system/window.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr float FRAME = 0.03f;

// Runs accepted frames, letting the network deliver between them, until
// condition holds; false when it has not after maxFrames.
template <typename Condition> bool framesUntil(ZEBGameShell& game, Condition condition, int maxFrames) {
    for (int frame = 0; frame < maxFrames; ++frame) {
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

// One process alone on its discovery port: it hosts "The Game", joins it
// through the network like any other player, plays and loses its game.
TEST(shellSession, hostsJoinsPlaysAndLosesItsGame) {
    useLoopbackDiscovery();
    useHeadlessDrivers();
    const std::string folder = makeTempFolder("session");
    ASSERT_TRUE(copyGameData(folder));
    ASSERT_EQ(chdir(folder.c_str()), 0);               // the level is read and the message log written here
    messageLog::keepMessageLog(MESSAGE_LOG_FILE_NAME); // as --log does
    shellOptions options;
    options.port = findFreePort();
    const char* reason = nullptr;
    ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
    gameWindow* window = createGameWindow(WINDOW_TITLE, nullptr);
    ASSERT_NE(window, nullptr);
    auto game = std::make_unique<ZEBGameShell>(options);
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
              (std::vector<setupStage>{setupStage::searching, setupStage::hosting, setupStage::connecting,
                                       setupStage::joining, setupStage::playing}));
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
    EXPECT_GE(countType(log, 12), 1); // the explosion reached the client
}

} // namespace
