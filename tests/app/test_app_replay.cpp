#include "platform/system/folderfiles.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// At most 45 frames a second: the game runs at least 6.7 s, the replay is
// shown after 2 s, about a third of the way in.
constexpr const char* GAME_FRAMES = "300";
constexpr const char* REPLAY_FRAMES = "90";
constexpr int RUN_DEADLINE_MS = 60000;
// The time bar in the game area: its inside, and the time line above it.
constexpr int BAR_ROWS[] = {667, 675};
constexpr int BAR_PLAYED[] = {40, 100};
constexpr int BAR_AHEAD[] = {560, 660};
constexpr int TIME_LINE_ROWS[] = {630, 648};

bool isWhite(uint32_t p) {
    return red(p) > 220 && green(p) > 220 && blue(p) > 220;
}

class replayWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override { killAndReap(m_process); }

    // Runs the program to its end; its exit code.
    int run(const std::vector<std::string>& arguments, const std::string& folder) {
        m_process = startProgram(ZEB_PROGRAM, arguments, folder);
        if (!waitForExit(m_process, RUN_DEADLINE_MS))
            return -1;
        return exitCode(m_process);
    }

    appProcess m_process;
};

// A game with two bots is recorded by the copy that hosts it; the recording
// plays in the window with the game, the players' score rows and the time
// bar; a damaged copy of it is refused in one line.
TEST_F(replayWindow, AGameIsRecordedAndPlaysBackWithItsTimeBar) {
    const std::string game = makeTempFolder("recorded");
    ASSERT_TRUE(copyGameData(game));
    ASSERT_EQ(run({"--bots", "2", "--frames", GAME_FRAMES, "--name", "Host"}, game), 0)
        << readFile(game + "/stderr.txt");
    const std::string replays = game + "/data/zeb/replays";
    const std::vector<folderFile> recorded = listFolderFiles(replays, ".zebreplay");
    ASSERT_EQ(recorded.size(), 1u);
    const std::string recording = replays + "/" + recorded[0].name;

    const std::string shown = makeTempFolder("replay");
    ASSERT_TRUE(copyGameData(shown));
    ASSERT_EQ(run({"--replay", recording, "--frames", REPLAY_FRAMES, "--screenshot", "replay.png"}, shown), 0)
        << readFile(shown + "/stderr.txt");
    pngImage picture;
    ASSERT_TRUE(readPNG(shown + "/replay.png", picture));
    ASSERT_EQ(picture.width, AREA_SIZE);
    for (int row = 0; row < 3; ++row) // Host, Bot 1, Bot 2
        EXPECT_GT(scoreRowExtent(picture, row), 30) << "score row " << row;
    EXPECT_GT(countPixels(picture, BAR_PLAYED[0], BAR_PLAYED[1], BAR_ROWS[0], BAR_ROWS[1], isWhite), 400);
    EXPECT_EQ(countPixels(picture, BAR_AHEAD[0], BAR_AHEAD[1], BAR_ROWS[0], BAR_ROWS[1], isWhite), 0);
    EXPECT_GT(countPixels(picture, 0, 200, TIME_LINE_ROWS[0], TIME_LINE_ROWS[1], isGreyText), 80);
    EXPECT_GT(countPixels(picture, 0, AREA_SIZE, 80, 600, [](uint32_t p) { return !isBackground(p); }), 200)
        << "the game itself";

    const std::string cut = shown + "/cut.zebreplay";
    const std::string bytes = readFile(recording);
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    EXPECT_EQ(run({"--replay", cut, "--frames", "1"}, shown), 2);
    const std::string error = readFile(shown + "/stderr.txt");
    EXPECT_NE(error.find("zeb: the replay " + cut + " is damaged: "), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), error.size() - 1) << error;
}

// --no-record, or the setting record = off, records no game.
TEST_F(replayWindow, AGameIsNotRecordedWhenTheOptionOrTheSettingSaysSo) {
    for (const bool bySetting : {false, true}) {
        const std::string game = makeTempFolder("unrecorded");
        ASSERT_TRUE(copyGameData(game));
        std::vector<std::string> arguments = {"--frames", "60"};
        if (bySetting) { // the player's settings file
            std::filesystem::create_directories(game + "/config/zeb");
            std::ofstream(game + "/config/zeb/settings.ini") << "record = off\n";
        } else {
            arguments.push_back("--no-record");
        }
        ASSERT_EQ(run(arguments, game), 0) << readFile(game + "/stderr.txt");
        EXPECT_TRUE(listFolderFiles(game + "/data/zeb/replays", ".zebreplay").empty()) << bySetting;
    }
}

} // namespace
