// The real window under Xvfb: resized, the play area stays a centred square
// and the About box opens from the keys without stopping the game; switched
// to full screen, the picture fills the screen.

#include "platform/system/aboutbox.h"
#include "platform/system/executablepath.h"
#include "platform/system/namebox.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

// Waits until the game has joined, then does what ACTIONS says to its window;
// the game ends after its frames.
constexpr const char* DRIVER_SCRIPT = R"(#!/bin/sh
"$ZEB_PROGRAM" --log --port "$ZEB_PORT" --frames 120 --screenshot final.png &
game=$!
tries=0
until grep -q '^[^,]*,6,' message_log.csv 2>/dev/null; do
    tries=$((tries + 1))
    if [ $tries -gt 2000 ]; then kill $game; exit 3; fi
    sleep 0.005
done
window=$(timeout 10 xdotool search --sync --limit 1 --name "ZEB")
[ -n "$window" ] || { kill $game; exit 4; }
xdotool windowfocus --sync "$window"
eval "$ACTIONS"
wait $game
)";

constexpr int SCREEN_WIDTH = 1024;
constexpr int SCREEN_HEIGHT = 768;

struct runResult {
    bool ran = false;
    pngImage picture;
    std::string settings;
};

runResult runWindow(const std::string& actions) {
    runResult result;
    useLoopbackDiscovery();
    const std::string folder = makeTempFolder("fit");
    if (!copyGameData(folder))
        return result;
    std::ofstream(folder + "/drive.sh") << DRIVER_SCRIPT;
    appProcess run =
        startProgram("/usr/bin/xvfb-run", {"-a", "-s", "-screen 0 1024x768x24", "sh", "drive.sh"}, folder,
                     {"ZEB_PROGRAM=" ZEB_PROGRAM, "ZEB_PORT=" + std::to_string(findFreePort()),
                      "ACTIONS=" + actions, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                      "LSAN_OPTIONS=suppressions=" ZEB_APP_TEST_DIR "/../lsan.supp"});
    const bool ended = waitForExit(run, 60000);
    if (!ended)
        killAndReap(run);
    EXPECT_TRUE(ended);
    EXPECT_EQ(exitCode(run), 0) << readFile(folder + "/stderr.txt");
    result.ran = ended && exitCode(run) == 0 && readPNG(folder + "/final.png", result.picture);
    result.settings = readFile(folder + "/config/zeb/settings.ini");
    return result;
}

bool isText(uint32_t p) {
    return isGreyText(p);
}

// Grey text pixels of the sound line, whose top is at -0.75 of a play area
// of side `side` starting at column left and row top.
int soundLinePixels(const pngImage& picture, int x0, int x1, int top, int side) {
    const int lineTop = top + side * 7 / 8;
    int count = 0;
    for (int y = lineTop; y < lineTop + side / 30 && y < picture.height; ++y) {
        for (int x = x0; x < x1; ++x)
            count += isText(picture.at(x, y)) ? 1 : 0;
    }
    return count;
}

bool skipWithoutXvfb() {
    return !fileExists("/usr/bin/xvfb-run") || !fileExists("/usr/bin/xdotool");
}

TEST(windowThatFits, aResizedWindowKeepsASquarePlayAreaAndTheAboutBoxLetsTheGameGoOn) {
    if (skipWithoutXvfb())
        GTEST_SKIP() << "xvfb-run or xdotool is missing";
    const runResult run =
        runWindow("xdotool windowsize --sync \"$window\" 900 600; sleep 0.3; xdotool key alt+h Return");
    ASSERT_TRUE(run.ran);
    const pngImage& picture = run.picture;
    ASSERT_EQ(picture.width, 900);
    ASSERT_EQ(picture.height, 600);
    // The menu strip spans the new width.
    EXPECT_EQ(picture.at(895, 5), 0xFFF0F0F0u);
    // The play area is the 580-pixel square from column 160: the sound line
    // starts at its left edge, and nothing of it lies left of the square.
    const int side = 600 - MENU_ROWS;
    const int left = (900 - side) / 2;
    EXPECT_GT(soundLinePixels(picture, left, left + side / 2, MENU_ROWS, side), 200);
    EXPECT_EQ(soundLinePixels(picture, 0, left, MENU_ROWS, side), 0);
    // A thin border shows where the play area ends.
    for (const int x : {left - 1, left + side})
        EXPECT_EQ(picture.at(x, 300), 0xFF505880u) << x;
    EXPECT_NE(picture.at(left - 3, 300), 0xFF505880u);
    // The About box stands open in the top right corner, away from the
    // ships' start points (its caption strip), and the game still counted its
    // frames to the end.
    EXPECT_EQ(picture.at(900 - 150, aboutBox::TOP + 10), 0xFF0078D7u);
    EXPECT_NE(picture.at(450, 300 - 48 + 10), 0xFF0078D7u);
    EXPECT_NE(run.settings.find("window_width = 900\nwindow_height = 600\n"), std::string::npos)
        << run.settings;
}

// Rows from the first to the last holding grey text in the sound line's band.
int soundLineHeight(const pngImage& picture, int left, int top, int side) {
    const int lineTop = top + side * 7 / 8;
    int first = -1;
    int last = -1;
    for (int y = lineTop - 2; y < lineTop + 40 && y < picture.height; ++y) {
        for (int x = left; x < left + side; ++x) {
            if (isText(picture.at(x, y))) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

// In the smallest window a player would use, the text keeps a readable size.
TEST(windowThatFits, aSmallWindowKeepsItsTextReadable) {
    if (skipWithoutXvfb())
        GTEST_SKIP() << "xvfb-run or xdotool is missing";
    const runResult run = runWindow("xdotool windowsize --sync \"$window\" 420 470; sleep 0.3");
    ASSERT_TRUE(run.ran);
    ASSERT_EQ(run.picture.width, 420);
    const int side = 420; // the square fits the width; it is centred in the height below the menus
    EXPECT_GE(soundLineHeight(run.picture, 0, MENU_ROWS + (470 - MENU_ROWS - side) / 2, side), 11);
}

TEST(windowThatFits, fullScreenFillsTheScreenWithTheSquareCentred) {
    if (skipWithoutXvfb())
        GTEST_SKIP() << "xvfb-run or xdotool is missing";
    const runResult run = runWindow("xdotool key F11");
    ASSERT_TRUE(run.ran);
    const pngImage& picture = run.picture;
    ASSERT_EQ(picture.width, SCREEN_WIDTH);
    ASSERT_EQ(picture.height, SCREEN_HEIGHT);
    const int side = SCREEN_HEIGHT - MENU_ROWS;
    const int left = (SCREEN_WIDTH - side) / 2;
    EXPECT_GT(soundLinePixels(picture, left, left + side / 2, MENU_ROWS, side), 200);
    EXPECT_EQ(soundLinePixels(picture, 0, left, MENU_ROWS, side), 0);
    EXPECT_NE(run.settings.find("full_screen = on"), std::string::npos) << run.settings;
}

// File, "Name ..." from the real keyboard: the name typed is saved, and the
// box opened again stands in the top right corner with its white field.
TEST(windowThatFits, aNameTypedInTheNameBoxIsSaved) {
    if (skipWithoutXvfb())
        GTEST_SKIP() << "xvfb-run or xdotool is missing";
    const runResult run = runWindow("xdotool key alt+f n BackSpace BackSpace BackSpace BackSpace BackSpace "
                                    "BackSpace; xdotool type --delay 20 'Ada 2'; xdotool key Return alt+f n");
    ASSERT_TRUE(run.ran);
    EXPECT_NE(run.settings.find("name = Ada 2\n"), std::string::npos) << run.settings;
    nameBox layout;
    layout.open(run.picture.width, run.picture.height, "", 0);
    EXPECT_EQ(run.picture.at(layout.frame().x + nameBox::WIDTH / 2, layout.frame().y + 10), 0xFF0078D7u);
    EXPECT_EQ(run.picture.at(layout.field().x + layout.field().w - 20, layout.field().y + 9), 0xFFFFFFFFu);
}

} // namespace
