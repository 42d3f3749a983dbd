#include "drawing/font/font.h"
#include "drawing/render.h"
#include "platform/system/executablepath.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int AREA_CENTRE = AREA_SIZE / 2;

// Runs inside xvfb-run: the game hosts alone; once it has joined, xdotool
// holds W and Space and presses Z in its window until the game's frames end.
constexpr const char* DRIVER_SCRIPT = R"(#!/bin/sh
"$ZEB_PROGRAM" --log --port "$ZEB_PORT" --frames 70 --screenshot final.png &
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
xdotool keydown w space
xdotool keydown z
sleep 0.1
xdotool keyup z
wait $game
status=$?
xdotool keyup w space
exit $status
)";

// The sound line as the game's own font draws it, on an offscreen target.
std::vector<uint32_t> referenceSoundLine(const char* text) {
    static bool created = false;
    static font face;
    if (!created) {
        renderWindow offscreen;
        offscreen.areaWidth = AREA_SIZE;
        offscreen.areaHeight = AREA_SIZE;
        initialiseRender(offscreen, 1.0f, 100.0f);
        face.create("Arial", 16);
        created = true;
    }
    clearScene(0.05f, 0.05f, 0.1f, 1.0f);
    beginScene();
    face.setTop(-0.75f);
    face.setColour(0.75f, 0.75f, 0.75f, 1.0f);
    face.print(text);
    std::vector<uint32_t> pixels;
    g_pd3dDevice->readFrame(&pixels);
    endScene();
    return pixels;
}

// Pixels of the sound line where text and reference disagree on "is there text".
int soundLineMismatch(const pngImage& picture, const std::vector<uint32_t>& reference) {
    int mismatch = 0;
    for (int y = SOUND_LINE_TOP; y < SOUND_LINE_TOP + TEXT_ROWS; ++y) {
        for (int x = 0; x < 320; ++x) {
            const bool shown = isGreyText(picture.at(x, MENU_ROWS + y));
            const bool expected = isGreyText(reference[static_cast<size_t>(y) * AREA_SIZE + x]);
            mismatch += (shown != expected) ? 1 : 0;
        }
    }
    return mismatch;
}

// The same hue as the player's colour, at least a third as bright: bullets are
// drawn half transparent.
bool sameColour(uint32_t a, uint32_t b) {
    const double ar = red(a) - 13.0, ag = green(a) - 13.0, ab = blue(a) - 26.0;
    const double br = red(b) - 13.0, bg = green(b) - 13.0, bb = blue(b) - 26.0;
    const double lengthA = std::sqrt(ar * ar + ag * ag + ab * ab);
    const double lengthB = std::sqrt(br * br + bg * bg + bb * bb);
    return lengthA > lengthB / 3.0 && (ar * br + ag * bg + ab * bb) > 0.97 * lengthA * lengthB;
}

// The brightest pixel of the first score row's first letter: the player's colour.
uint32_t playerColour(const pngImage& picture) {
    uint32_t best = 0;
    int bestSum = 0;
    for (int y = 2; y < 14; ++y) {
        for (int x = 0; x < 10; ++x) {
            const uint32_t p = picture.at(x, MENU_ROWS + y);
            if (red(p) + green(p) + blue(p) > bestSum) {
                bestSum = red(p) + green(p) + blue(p);
                best = p;
            }
        }
    }
    return best;
}

// Groups of the player's pixels between the text lines, joined when closer than a few pixels.
int countGroups(const pngImage& picture, uint32_t colour, int& nearCentre) {
    const int top = 60;
    const int bottom = SOUND_LINE_TOP - 4;
    std::vector<int> label(static_cast<size_t>(AREA_SIZE) * AREA_SIZE, 0);
    int groups = 0;
    nearCentre = 0;
    const int reach = 4;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < AREA_SIZE; ++x) {
            if (!sameColour(picture.at(x, MENU_ROWS + y), colour) || label[y * AREA_SIZE + x] != 0)
                continue;
            if (std::abs(x - AREA_CENTRE) < 14 && std::abs(y - AREA_CENTRE) < 14)
                ++nearCentre;
            ++groups;
            std::vector<std::pair<int, int>> open = {{x, y}};
            label[y * AREA_SIZE + x] = groups;
            while (!open.empty()) {
                const auto [cx, cy] = open.back();
                open.pop_back();
                for (int ny = std::max(top, cy - reach); ny <= std::min(bottom - 1, cy + reach); ++ny) {
                    for (int nx = std::max(0, cx - reach); nx <= std::min(AREA_SIZE - 1, cx + reach); ++nx) {
                        if (label[ny * AREA_SIZE + nx] == 0 &&
                            sameColour(picture.at(nx, MENU_ROWS + ny), colour)) {
                            label[ny * AREA_SIZE + nx] = groups;
                            if (std::abs(nx - AREA_CENTRE) < 14 && std::abs(ny - AREA_CENTRE) < 14)
                                ++nearCentre;
                            open.push_back({nx, ny});
                        }
                    }
                }
            }
        }
    }
    return groups;
}

TEST(realWindow, keysFlyTheShipFireAndSwitchSoundOffUnderXvfb) {
    if (!fileExists("/usr/bin/xvfb-run") || !fileExists("/usr/bin/xdotool"))
        GTEST_SKIP() << "xvfb-run or xdotool is missing";
    useLoopbackDiscovery();
    const std::string folder = makeTempFolder("xvfb");
    std::ofstream(folder + "/drive.sh") << DRIVER_SCRIPT;
    std::ofstream(folder + "/level_0.xml") << HARMLESS_LEVEL;
    appProcess run = startProgram(
        "/usr/bin/xvfb-run", {"-a", "-s", "-screen 0 1024x768x24", "sh", "drive.sh"}, folder,
        {"ZEB_PROGRAM=" ZEB_PROGRAM, "ZEB_PORT=" + std::to_string(findFreePort()), "SDL_VIDEODRIVER=x11",
         "SDL_AUDIODRIVER=dummy", "LSAN_OPTIONS=suppressions=" ZEB_APP_TEST_DIR "/../lsan.supp"});
    const bool ended = waitForExit(run, 60000);
    if (!ended)
        killAndReap(run);
    ASSERT_TRUE(ended);
    ASSERT_EQ(exitCode(run), 0) << readFile(folder + "/stderr.txt");

    pngImage picture;
    ASSERT_TRUE(readPNG(folder + "/final.png", picture));
    ASSERT_EQ(picture.height, MENU_ROWS + AREA_SIZE);
    // The menu strip is drawn above the game area, in its light colour.
    EXPECT_EQ(picture.at(AREA_SIZE - 5, 5), 0xFFF0F0F0u);

    // The score line of the one player.
    EXPECT_GT(scoreRowExtent(picture, 0), 40);
    EXPECT_EQ(scoreRowExtent(picture, 1), -1);

    // Z switched sound off: the lowest line is the "Disabled" one.
    const int disabled =
        soundLineMismatch(picture, referenceSoundLine("Sound is Disabled, to Enable press 'Z'"));
    const int enabled =
        soundLineMismatch(picture, referenceSoundLine("Sound is Enabled, to Disable press 'Z'"));
    EXPECT_LT(disabled * 3, enabled) << "disabled " << disabled << ", enabled " << enabled;

    // W moved the ship off the centre; Space fired: the ship and at least one
    // bullet are drawn in the player's colour.
    int nearCentre = 0;
    const int groups = countGroups(picture, playerColour(picture), nearCentre);
    EXPECT_EQ(nearCentre, 0);
    EXPECT_GE(groups, 2);
}

// Without a sound device the lowest line says so, and the terminal holds the
// game's one line about it, not the sound system's own complaints.
TEST(realWindow, withoutASoundDeviceTheSoundLineSaysSoQuietly) {
    useLoopbackDiscovery();
    const std::string folder = makeTempFolder("nosound");
    ASSERT_TRUE(copyGameData(folder));
    appProcess run =
        startProgram(ZEB_PROGRAM, {"--frames", "30", "--screenshot", "final.png"}, folder,
                     {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=alsa", "ALSA_CARD=ZebNoSuchCard", "DISPLAY"});
    ASSERT_TRUE(waitForExit(run, 60000));
    ASSERT_EQ(exitCode(run), 0) << readFile(folder + "/stderr.txt");
    const std::string errors = readFile(folder + "/stderr.txt");
    EXPECT_NE(errors.find("zeb: there is no sound device: the game is silent"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("ALSA"), std::string::npos) << errors;
    pngImage picture;
    ASSERT_TRUE(readPNG(folder + "/final.png", picture));
    const int missing =
        soundLineMismatch(picture, referenceSoundLine("Sound is Disabled: there is no sound device"));
    const int enabled =
        soundLineMismatch(picture, referenceSoundLine("Sound is Enabled, to Disable press 'Z'"));
    EXPECT_LT(missing * 3, enabled) << "missing " << missing << ", enabled " << enabled;
}

} // namespace
