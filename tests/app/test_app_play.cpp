#include "game/rules/compactstate.h"
#include "game/rules/protocol.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Frames are drawn at most 45 a second, so these counts are lower bounds on
// how long each copy runs: the host outlives the client's time-out, and the
// client outlives the host.
constexpr const char* HOST_FRAMES = "630";    // at least 14 s
constexpr const char* CLIENT_FRAMES = "1350"; // at least 30 s
constexpr int JOIN_DEADLINE_MS = 10000;

// The game's state as a client takes it: element updates, or the compact
// stream between copies of this program, which in a quiet game (ships at
// rest, nothing hit) sends little more than a beat of each ship.
int stateMessages(const std::vector<int>& types) {
    return countType(types, MSG_ELEMENT_UPDATE) + countType(types, MSG_COMPACT_STATE);
}

class headlessPlay : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override {
        for (appProcess* process : {&m_host, &m_second, &m_third})
            killAndReap(*process);
    }

    static std::vector<int> logOf(const appProcess& process) {
        return readLogTypes(process.folder + "/message_log.csv");
    }
    static bool hasJoined(const appProcess& process) {
        return countType(logOf(process), MSG_FULL_STATE) >= 1;
    }

    appProcess m_host;
    appProcess m_second;
    appProcess m_third;
};

// The index of the first row of type, or -1.
int firstRow(const std::vector<int>& types, int type) {
    for (size_t i = 0; i < types.size(); ++i) {
        if (types[i] == type)
            return static_cast<int>(i);
    }
    return -1;
}

TEST_F(headlessPlay, hostsJoinsSurvivesAKilledClientAndEndsForAll) {
    const std::string port = std::to_string(findFreePort());
    // Nothing hits anything: every score stays 0 and the table keeps the host's order.
    const std::string hostFolder = makeTempFolder("host");
    std::ofstream(hostFolder + "/level_0.xml") << HARMLESS_LEVEL;
    m_host = startProgram(ZEB_PROGRAM,
                          {"--log", "--port", port, "--frames", HOST_FRAMES, "--screenshot", "final.png"},
                          hostFolder);
    ASSERT_TRUE(waitUntil([&] { return hasJoined(m_host); }, JOIN_DEADLINE_MS))
        << "the first copy did not host and join: " << readFile(m_host.folder + "/stderr.txt");

    // The second and third copies search, find the first one and join it.
    const uint64_t started = monotonicMilliseconds();
    m_second = startProgram(ZEB_PROGRAM,
                            {"--log", "--frames", CLIENT_FRAMES, "--screenshot", "final.png", "--no-rejoin"},
                            makeTempFolder("second"));
    ASSERT_TRUE(waitUntil([&] { return hasJoined(m_second); }, JOIN_DEADLINE_MS));
    EXPECT_LT(monotonicMilliseconds() - started, 5000u);
    m_third = startProgram(ZEB_PROGRAM, {"--log", "--frames", CLIENT_FRAMES}, makeTempFolder("third"));
    ASSERT_TRUE(waitUntil([&] { return hasJoined(m_third); }, JOIN_DEADLINE_MS));

    EXPECT_EQ(countType(logOf(m_host), MSG_PLAYER_CREATED), 3);
    for (const appProcess* client : {&m_second, &m_third}) {
        ASSERT_TRUE(waitUntil(
            [&] {
                const std::vector<int> types = logOf(*client);
                return countType(types, MSG_PLAYER_STATS) >= 1 && stateMessages(types) >= 1;
            },
            5000));
        const std::vector<int> types = logOf(*client);
        EXPECT_EQ(countType(types, MSG_FULL_STATE), 1);
        EXPECT_GE(countType(types, MSG_NEW_ELEMENT), 3); // at least its own ship and two bullets
        EXPECT_GE(stateMessages(types), 1);
        EXPECT_EQ(countType(types, MSG_SESSION_TERMINATED), 0);
    }

    // A client that dies without a word is dropped; the others play on.
    stopProcess(m_third, SIGKILL);
    ASSERT_TRUE(waitForExit(m_third, 5000));
    ASSERT_TRUE(waitUntil([&] { return countType(logOf(m_host), MSG_PLAYER_DESTROYED) == 1; }, 9000));
    const int updatesBefore = stateMessages(logOf(m_second));
    EXPECT_TRUE(waitUntil([&] { return stateMessages(logOf(m_second)) > updatesBefore; }, 5000));

    // The host ends after its frames; its last picture holds the score table,
    // where the third player's row now carries " [Disconnected]".
    ASSERT_TRUE(waitForExit(m_host, 60000));
    EXPECT_EQ(exitCode(m_host), 0);
    const std::vector<int> hostLog = logOf(m_host);
    const int left = firstRow(hostLog, MSG_PLAYER_DESTROYED);
    ASSERT_GE(left, 0);
    ASSERT_GE(firstRow(std::vector<int>(hostLog.begin() + left, hostLog.end()), MSG_PLAYER_STATS), 0)
        << "no score table reached the host's client after the player left";
    pngImage hostPicture;
    ASSERT_TRUE(readPNG(m_host.folder + "/final.png", hostPicture));
    ASSERT_EQ(hostPicture.width, AREA_SIZE);
    ASSERT_EQ(hostPicture.height, MENU_ROWS + AREA_SIZE);
    const int own = scoreRowExtent(hostPicture, 0);
    const int second = scoreRowExtent(hostPicture, 1);
    const int third = scoreRowExtent(hostPicture, 2);
    EXPECT_GT(own, 40);
    EXPECT_LT(own, 110); // "Player ( n )"
    EXPECT_GT(second, 40);
    EXPECT_LT(second, 110);
    EXPECT_GT(third, 150); // "Player [Disconnected] ( n )"
    EXPECT_EQ(scoreRowExtent(hostPicture, 3), -1);

    // The host has gone: the remaining client shows "Game Unavailable".
    ASSERT_TRUE(waitUntil([&] { return countType(logOf(m_second), MSG_SESSION_TERMINATED) == 1; }, 5000));
    ASSERT_TRUE(waitForExit(m_second, 60000));
    EXPECT_EQ(exitCode(m_second), 0);
    pngImage clientPicture;
    ASSERT_TRUE(readPNG(m_second.folder + "/final.png", clientPicture));
    EXPECT_GT(countPixels(clientPicture, 0, 200, 0, TEXT_ROWS, isRedText), 60);
    EXPECT_EQ(countPixels(clientPicture, 200, AREA_SIZE, 0, TEXT_ROWS, isRedText), 0);
    EXPECT_GT(countPixels(clientPicture, 0, 300, SOUND_LINE_TOP, SOUND_LINE_TOP + TEXT_ROWS, isGreyText),
              100);
    // The line below says why, in grey; nothing of the game is drawn any more.
    EXPECT_GT(countPixels(clientPicture, 0, 300, SCORE_ROW_TOPS[1], SCORE_ROW_TOPS[2], isGreyText), 100);
    EXPECT_EQ(countPixels(clientPicture, 0, AREA_SIZE, SCORE_ROW_TOPS[2] + 2, SOUND_LINE_TOP - 2,
                          [](uint32_t p) { return !isBackground(p); }),
              0);
}

} // namespace
