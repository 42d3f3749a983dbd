#include "game/client/zebgamestatecollector.h"
#include "game/client/zebobjectparticlesystem.h"
#include "game/server/zebgamestategame.h"
#include "game/shell/shell.h"
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
template <typename Condition> bool framesUntil(Condition condition, int maxFrames) {
    for (int frame = 0; frame < maxFrames; ++frame) {
        EXPECT_TRUE(updateGame(FRAME));
        if (condition())
            return true;
        waitUntil([] { return false; }, 2);
    }
    return false;
}

int visibleBullets() {
    int count = 0;
    for (int e = 0; e < g_collector->getElementCount(); ++e) {
        const ZEBGameStateElement& element = g_collector->getElementState(e);
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
    g_options.port = findFreePort();
    const char* reason = nullptr;
    ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
    gameWindow* window = createGameWindow(WINDOW_TITLE, shellWindowProcedure);
    ASSERT_NE(window, nullptr);
    g_keys[KEY_W] = 1;
    g_input.fire = true;

    ASSERT_EQ(setupGame(window), setupResult::joined);
    EXPECT_TRUE(g_running);
    EXPECT_NE(g_host, nullptr);
    EXPECT_NE(g_serverGame, nullptr);
    EXPECT_TRUE(g_collector->hasJoined());
    const uint8_t cleared[KEY_TABLE_SIZE] = {};
    EXPECT_EQ(std::memcmp(g_keys, cleared, sizeof(cleared)), 0);
    EXPECT_FALSE(g_input.up || g_input.down || g_input.left || g_input.right || g_input.fire);
    EXPECT_FALSE(g_clientObjects.empty());
    EXPECT_EQ(g_serverObjects.size(), g_clientObjects.size());

    // Space fires; a bullet that has flown its second explodes, which the
    // frame turns into an effect and the bullet's sound.
    g_keys[KEY_SPACE] = 1;
    ASSERT_TRUE(framesUntil([] { return visibleBullets() > 0; }, 900)); // the ship may wait to appear
    g_keys[KEY_SPACE] = 0;
    ASSERT_TRUE(framesUntil([] { return !g_particleSystems.empty(); }, 400));
    renderGame();
    // Every effect ends and is removed.
    ASSERT_TRUE(framesUntil([] { return g_particleSystems.empty(); }, 400));
    ASSERT_TRUE(framesUntil([] { return g_collector->getStatsCount() > 0; }, 200)); // a score table came

    // Another player is connected when this copy's own connection goes: the
    // game stops, the copy stops hosting and the other player is told.
    networkClient other;
    other.setApplicationGuid(APPLICATION_GUID);
    other.initialise();
    ASSERT_TRUE(other.connectTo("127.0.0.1:" + std::to_string(g_host->getPort())));
    ASSERT_TRUE(waitUntil([&] { return other.isConnected(); }, 3000));
    g_client->disconnect();
    EXPECT_TRUE(updateGame(FRAME));
    EXPECT_FALSE(g_running);
    EXPECT_FALSE(g_host->isConnected());
    EXPECT_TRUE(waitUntil([&] { return !other.isConnected(); }, 3000));
    EXPECT_EQ(other.getEnd(), networkEnd::hostStopped);
    EXPECT_EQ(g_collector->getElementCount(), 0);
    EXPECT_FALSE(g_collector->hasJoined());
    EXPECT_TRUE(updateGame(FRAME));
    renderGame();

    // The copy kept the last table it saw; the game it hosts next gives it
    // its place back, with the colour and score that table gave it (the
    // last colour, which a fresh game hands out only on one draw in 32768).
    ASSERT_EQ(g_formerTable.size(), 1u);
    EXPECT_STREQ(g_formerTable[0].name, PLAYER_NAME);
    const colour4 rarest = g_serverGame->getPlayerColour(PLAYER_COLOUR_COUNT - 1);
    g_formerTable[0].colour = rarest;
    g_formerTable[0].score = 35;
    ASSERT_EQ(restartSession(), setupResult::joined);
    ASSERT_TRUE(framesUntil([] { return g_collector->getStatsCount() > 0; }, 200));
    EXPECT_TRUE(g_collector->isOwnStatsRow(0));
    EXPECT_TRUE(g_collector->getStatsColour(0) == rarest);
    EXPECT_EQ(g_collector->getStatsScore(0), 35);

    shutdownGame();
    EXPECT_EQ(g_client, nullptr);
    EXPECT_EQ(g_collector, nullptr);
    EXPECT_EQ(g_host, nullptr);
    EXPECT_EQ(g_serverGame, nullptr);
    EXPECT_EQ(g_camera, nullptr);
    const std::vector<int> log = readLogTypes(folder + "/message_log.csv");
    EXPECT_EQ(countType(log, 1), 3); // its own client and the other player, then its own client again
    EXPECT_EQ(countType(log, 6), 2);
    EXPECT_GE(countType(log, 12), 1); // the explosion reached the client
}

} // namespace
