#include "game/common/options.h"
#include "game/replay/zebreplayplayer.h"
#include "game/windowed/replay/replaycontrols.h"
#include "game/windowed/usersettings.h"
#include "game/windowed/windowedgame.h"
#include "platform/system/aboutbox.h"
#include "platform/system/clock.h"
#include "platform/system/gamepad.h"
#include "platform/system/menustrip.h"
#include "platform/system/namebox.h"
#include "platform/system/syntheticinput.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/window.h"
#include "platform/system/windowloop.h"
#include "tests/game/replay/recordedgame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace win;

namespace {

std::vector<windowMessage> g_seen; // every message the procedure was given
const keyStates* g_keys = nullptr; // the key states of the window

int64_t recordingProcedure(gameWindow* window, uint32_t message, uint64_t wParam, int64_t lParam) {
    g_seen.push_back({message, wParam, lParam});
    return defWindowProc(window, message, wParam, lParam);
}

class shellWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* reason = nullptr;
        ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
        m_window = createGameWindow("test", recordingProcedure);
        ASSERT_NE(m_window, nullptr);
        m_game.attachWindow(m_window);
        g_keys = &getWindowKeys(m_window);
        drain();
        g_seen.clear();
        getWindowKeys(m_window).clear();
    }
    void TearDown() override { destroyWindow(m_window); }

    // Passes of the loop until one takes a message, which is dispatched. An
    // event that makes no message (the window shown, the mouse) takes a pass.
    windowMessage next() {
        windowMessage message;
        bool taken = false;
        for (int pass = 0; pass < EVENT_PASSES && !taken; ++pass)
            taken = peekMessage(message);
        EXPECT_TRUE(taken);
        if (taken && message.message != WM_QUIT)
            dispatchMessage(message);
        return message;
    }
    static void drain() {
        windowMessage message;
        for (int pass = 0; pass < EVENT_PASSES; ++pass) {
            if (peekMessage(message) && message.message != WM_QUIT)
                dispatchMessage(message);
        }
    }
    static constexpr int EVENT_PASSES = 100;

    gameWindow* m_window = nullptr;
    gameOptions m_options;
    ZEBWindowedGame m_game{m_options};
};

TEST_F(shellWindow, keysArriveAsVirtualKeyCodesAndSetTheTable) {
    pushKeyEvent('W', true, false, false);
    pushKeyEvent(0x20, true, false, false);
    pushKeyEvent('5', true, false, false);
    pushKeyEvent('W', true, false, true); // auto-repeat
    pushKeyEvent('W', false, false, false);

    EXPECT_EQ(next().wParam, 0x57u);
    EXPECT_TRUE(g_keys->isDown(0x57));
    EXPECT_EQ(next().wParam, 0x20u);
    EXPECT_EQ(next().wParam, 0x35u);
    const windowMessage repeat = next();
    EXPECT_EQ(repeat.message, WM_KEYDOWN);
    EXPECT_NE(repeat.lParam & (int64_t(1) << 30), 0);
    EXPECT_EQ(next().message, WM_KEYUP);
    EXPECT_FALSE(g_keys->isDown(0x57));
    EXPECT_TRUE(g_keys->isDown(0x20)); // nothing but its own key-up clears an entry
    EXPECT_TRUE(g_keys->isDown(0x35));
    windowMessage none;
    for (int pass = 0; pass < EVENT_PASSES; ++pass)
        EXPECT_FALSE(peekMessage(none));
}

// Six taps of Right between two frames of a replay jump a minute ahead, one
// jump a tap; Left taps come back, an auto-repeat is no tap of its own.
TEST_F(shellWindow, replayKeysTakeEveryTapBetweenTwoFrames) {
    const std::string path = "test_shell_window_taps.zebreplay";
    ASSERT_TRUE(replaytest::recordBotGame(path, 2, 2, 75 * 45));
    ZEBReplayFile file;
    std::string error;
    ASSERT_TRUE(replaytest::loadRecording(path, file, error)) << error;
    ZEBGameStateCollector collector;
    ZEBReplayPlayer player(file, collector);
    ASSERT_TRUE(player.start());
    ZEBReplayControls controls(player);
    keyStates& keys = getWindowKeys(m_window);
    const auto tap = [](uint32_t key, int times) {
        for (int i = 0; i < times; ++i) {
            pushKeyEvent(key, true, false, false);
            pushKeyEvent(key, false, false, false);
        }
    };
    tap(VK_RIGHT, 6);
    drain();
    EXPECT_TRUE(controls.readKeys(keys));
    EXPECT_EQ(player.getTimeMs(), 6u * REPLAY_JUMP_MS);
    tap(VK_LEFT, 2);
    pushKeyEvent(VK_LEFT, true, false, false);
    pushKeyEvent(VK_LEFT, true, false, true); // held: repeats
    pushKeyEvent(VK_LEFT, false, false, false);
    drain();
    EXPECT_TRUE(controls.readKeys(keys));
    EXPECT_EQ(player.getTimeMs(), 3u * REPLAY_JUMP_MS);
    EXPECT_FALSE(controls.readKeys(keys)); // nothing new
}

TEST_F(shellWindow, keysWithAltAreSystemKeysAndNeverReachTheTable) {
    pushKeyEvent('W', true, true, false);
    pushKeyEvent('W', false, true, false);
    EXPECT_EQ(next().message, WM_SYSKEYDOWN);
    EXPECT_FALSE(g_keys->isDown(0x57));
    EXPECT_EQ(next().message, WM_SYSKEYUP);

    // A code beyond the table is written nowhere.
    const keyStates before = *g_keys;
    dispatchMessage({WM_KEYDOWN, 0x1FF, 0});
    dispatchMessage({WM_KEYDOWN, 0x10041, 0}); // low 16 bits: 'A'
    EXPECT_TRUE(g_keys->isDown(0x41));
    getWindowKeys(m_window).set(0x41, false);
    EXPECT_EQ(getWindowKeys(m_window).takePresses(0x41), 1);
    EXPECT_TRUE(*g_keys == before);
}

TEST_F(shellWindow, waitingForAnEventLeavesItForTheNextPass) {
    pushKeyEvent('D', true, false, false);
    waitMessage(50);
    EXPECT_EQ(next().wParam, 0x44u);
    EXPECT_TRUE(g_keys->isDown(0x44));
}

TEST_F(shellWindow, theCloseBoxDestroysTheWindowAndQuitsWithCodeZero) {
    pushCloseEvent();
    EXPECT_EQ(next().message, WM_CLOSE);
    ASSERT_EQ(g_seen.size(), 2u); // the close, and the destruction it caused
    EXPECT_EQ(g_seen[1].message, WM_DESTROY);
    const windowMessage quit = next();
    EXPECT_EQ(quit.message, WM_QUIT);
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(shellWindow, theMenusAreUsedWithTheMouse) {
    const menuStrip layout;
    const int fileX = layout.titleLeft(0) + 6;
    const int helpX = layout.titleLeft(1) + 6;
    const int itemY = MENU_STRIP_HEIGHT + MENU_ITEM_HEIGHT / 2;

    // Help, then "About ...": the box opens in the window.
    pushMouseButtonEvent(helpX, 8, true);
    pushMouseButtonEvent(helpX, 8, false);
    pushMouseButtonEvent(helpX + 10, itemY, true);
    pushMouseButtonEvent(helpX + 10, itemY, false);
    drain();
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, WM_COMMAND);
    EXPECT_EQ(g_seen[0].wParam, COMMAND_ABOUT);
    EXPECT_TRUE(isAboutBoxOpen(m_window));
    pushKeyEvent(VK_ESCAPE, true, false, false);
    drain();
    ASSERT_FALSE(isAboutBoxOpen(m_window));

    // A press in the game area closes an open menu without choosing anything.
    pushMouseButtonEvent(fileX, 8, true);
    pushMouseButtonEvent(300, 400, true);
    pushMouseButtonEvent(fileX + 10, itemY, false);
    drain();
    EXPECT_EQ(g_seen.size(), 1u);

    // File, then the greyed "Join from a phone" (nothing, the menu stays open), then "Exit" below it:
    // the window goes and the loop is told to quit.
    pushMouseButtonEvent(fileX, 8, true);
    pushMouseButtonEvent(fileX + 10, itemY + 3 * MENU_ITEM_HEIGHT, false);
    drain();
    EXPECT_EQ(getOpenMenu(m_window), 0);
    EXPECT_EQ(g_seen.size(), 1u);
    pushMouseMoveEvent(fileX + 10, itemY + 4 * MENU_ITEM_HEIGHT);
    pushMouseButtonEvent(fileX + 10, itemY + 4 * MENU_ITEM_HEIGHT, false);
    const windowMessage exit = next();
    EXPECT_EQ(exit.message, WM_COMMAND);
    EXPECT_EQ(exit.wParam, COMMAND_EXIT);
    EXPECT_EQ(g_seen.back().message, WM_DESTROY);
    EXPECT_EQ(next().message, WM_QUIT);
}

// The loop: one message per pass, the update called every pass with the time
// since the last accepted frame, across the clock's wrap-around.
uint32_t g_fakeNow = 0;
uint64_t g_fakeFine = 0; // nanoseconds, in step with g_fakeNow but never wrapping
uint32_t fakeClock() {
    g_fakeFine += 4000000;
    return g_fakeNow += 4;
}
uint64_t fakeFineClock() {
    return g_fakeFine;
}
constexpr FineClock FAKE_FINE_CLOCK = {fakeFineClock, 1000000000};

std::vector<float> g_updateTimes;
std::vector<int> g_keysSeen;
int g_frames = 0;

bool recordingUpdate(float changeInTime, float frameTime) {
    g_updateTimes.push_back(changeInTime);
    g_keysSeen.push_back(g_keys->isDown('W') + g_keys->isDown('A') + g_keys->isDown('D'));
    return frameTime >= MIN_FRAME_TIME;
}
void countingRender() {
    ++g_frames;
}

TEST_F(shellWindow, theLoopAccumulatesTimeUntilAFrameIsDueAndStopsAfterItsFrames) {
    g_fakeNow = 0xFFFFFFFFu - 10; // wraps during the first frame
    g_updateTimes.clear();
    g_keysSeen.clear();
    g_frames = 0;
    pushKeyEvent('W', true, false, false);
    pushKeyEvent('A', true, false, false);
    pushKeyEvent('D', true, false, false);
    const ClockSource previous = setClockSource(fakeClock);
    const FineClock previousFine = setFineClock(FAKE_FINE_CLOCK);
    const int exitCode = runWindowLoop(m_window, MIN_FRAME_TIME, recordingUpdate, countingRender, 3);
    setFineClock(previousFine);
    setClockSource(previous);

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(g_frames, 3);
    ASSERT_GE(g_updateTimes.size(), 7u);
    const float expected[] = {0.004f, 0.008f, 0.012f, 0.016f, 0.020f, 0.024f, 0.004f};
    for (int i = 0; i < 7; ++i)
        EXPECT_FLOAT_EQ(g_updateTimes[i], expected[i]) << i;
    EXPECT_EQ(g_keysSeen[0], 1); // one key message per pass
    EXPECT_EQ(g_keysSeen[1], 2);
    EXPECT_EQ(g_keysSeen[2], 3);
}

// The box is modal for input but not for the game: it takes key presses and
// mouse presses, and each way of closing it closes it.
struct closeWay {
    const char* name;
    void (*act)(const aboutBox& layout);
};

void pressKey(uint32_t key) {
    pushKeyEvent(key, true, false, false);
    pushKeyEvent(key, false, false, false);
}

void clickAt(int x, int y) {
    pushMouseButtonEvent(x, y, true);
    pushMouseButtonEvent(x, y, false);
}

const closeWay CLOSE_WAYS[] = {
    {"Escape", [](const aboutBox&) { pressKey(VK_ESCAPE); }},
    {"Enter", [](const aboutBox&) { pressKey(VK_RETURN); }},
    {"OK", [](const aboutBox& b) { clickAt(b.okButton().x + 5, b.okButton().y + 5); }},
    {"close mark", [](const aboutBox& b) { clickAt(b.closeMark().x + 8, b.closeMark().y + 8); }},
    {"the game beside it", [](const aboutBox&) { clickAt(GAME_AREA_WIDTH / 2, MENU_STRIP_HEIGHT + 300); }},
};

TEST_F(shellWindow, theAboutBoxTakesPressesAndClosesEveryWay) {
    aboutBox layout;
    layout.open(GAME_AREA_WIDTH, MENU_STRIP_HEIGHT + GAME_AREA_HEIGHT);
    for (const closeWay& way : CLOSE_WAYS) {
        dispatchMessage({WM_COMMAND, COMMAND_ABOUT, 0});
        ASSERT_TRUE(isAboutBoxOpen(m_window)) << way.name;
        pushKeyEvent('W', true, false, false);
        pressKey(VK_SPACE);                                    // fire is for the game
        clickAt(layout.frame().x + 40, layout.frame().y + 40); // inside, on nothing
        clickAt(5, 5);                                         // the menu strip, under the box's rule
        drain();
        EXPECT_TRUE(isAboutBoxOpen(m_window)) << way.name;
        EXPECT_FALSE(g_keys->isDown('W')) << way.name;
        EXPECT_EQ(getOpenMenu(m_window), -1) << way.name;
        way.act(layout);
        drain();
        EXPECT_FALSE(isAboutBoxOpen(m_window)) << way.name;
        EXPECT_FALSE(g_keys->isDown(VK_ESCAPE) || g_keys->isDown(VK_RETURN)) << way.name;
    }
    // A press that starts off the button and ends on it is no click.
    dispatchMessage({WM_COMMAND, COMMAND_ABOUT, 0});
    pushMouseButtonEvent(layout.okButton().x - 20, layout.okButton().y + 5, true);
    pushMouseButtonEvent(layout.okButton().x + 5, layout.okButton().y + 5, false);
    drain();
    EXPECT_TRUE(isAboutBoxOpen(m_window));
}

TEST_F(shellWindow, theGameLoopGoesOnWhileTheAboutBoxIsOpen) {
    g_fakeNow = 0;
    g_frames = 0;
    g_updateTimes.clear();
    g_keysSeen.clear();
    dispatchMessage({WM_COMMAND, COMMAND_ABOUT, 0});
    const ClockSource previous = setClockSource(fakeClock);
    const FineClock previousFine = setFineClock(FAKE_FINE_CLOCK);
    runWindowLoop(m_window, MIN_FRAME_TIME, recordingUpdate, countingRender, 20);
    setFineClock(previousFine);
    setClockSource(previous);
    EXPECT_EQ(g_frames, 20);
    EXPECT_TRUE(isAboutBoxOpen(m_window));
}

// The menus from the keyboard: each row presses keys and expects the open
// menu (-1: none) and the command chosen (0: none).
struct menuKeys {
    const char* name;
    std::vector<std::pair<uint32_t, bool>> presses; // key, with Alt
    int openMenu;
    uint32_t command;
};

TEST_F(shellWindow, altLettersAndF10OpenTheMenusAndEscapeClosesThem) {
    const menuKeys rows[] = {
        {"Alt+F", {{'F', true}}, 0, 0},
        {"Alt+H", {{'H', true}}, 1, 0},
        {"F10", {{VK_F10, false}}, 0, 0},
        {"F10 twice", {{VK_F10, false}, {VK_F10, false}}, -1, 0},
        {"Escape", {{'F', true}, {VK_ESCAPE, false}}, -1, 0},
        {"Alt+Q", {{'Q', true}}, -1, 0},
        {"Right to Help, Enter", {{VK_F10, false}, {VK_RIGHT, false}, {VK_RETURN, false}}, -1, COMMAND_ABOUT},
        {"Down to Watch, Up to Name, Enter",
         {{'F', true}, {VK_DOWN, false}, {VK_UP, false}, {VK_RETURN, false}},
         -1,
         COMMAND_NAME},
        {"File's w", {{'F', true}, {'W', false}}, -1, COMMAND_WATCH},
        {"File's l", {{'F', true}, {'L', false}}, -1, COMMAND_LANGUAGE},
        {"File's j, greyed without browsers", {{'F', true}, {'J', false}}, 0, 0},
        {"File's x", {{'F', true}, {'X', false}}, -1, COMMAND_EXIT},
    };
    for (const menuKeys& row : rows) {
        for (const auto& [key, alt] : row.presses) {
            pushKeyEvent(key, true, alt, false);
            pushKeyEvent(key, false, alt, false);
        }
        drain();
        EXPECT_EQ(getOpenMenu(m_window), row.openMenu) << row.name;
        uint32_t command = 0;
        for (const windowMessage& seen : g_seen)
            command = seen.message == WM_COMMAND ? static_cast<uint32_t>(seen.wParam) : command;
        EXPECT_EQ(command, row.command) << row.name;
        for (uint32_t key = 0; key < KEY_STATE_COUNT; ++key)
            ASSERT_FALSE(g_keys->isDown(key)) << row.name << ": key " << key << " reached the game";
        if (row.command == COMMAND_EXIT)
            break; // the window is gone
        if (getOpenMenu(m_window) >= 0 || isAboutBoxOpen(m_window) || isNameBoxOpen(m_window)) {
            pushKeyEvent(VK_ESCAPE, true, false, false); // closes what the row left open
            drain();
        }
        g_seen.clear();
    }
}

// A pad plugged in while the game runs is opened and plays beside the keys;
// unplugged, it stops.
TEST_F(shellWindow, aGamepadPluggedInPlaysAndUnpluggedStops) {
    const int pad = attachVirtualGamepad();
    ASSERT_GE(pad, 0);
    drain();
    ASSERT_EQ(getGamepadCount(), 1);
    m_game.startOfflineSession({});
    struct padRow {
        virtualPadInput input;
        int16_t value;
        bool PlayerInput::*flag;
    };
    const padRow rows[] = {
        {virtualPadInput::leftStickX, -30000, &PlayerInput::left},
        {virtualPadInput::leftStickX, 30000, &PlayerInput::right},
        {virtualPadInput::dpadLeft, 1, &PlayerInput::left},
        {virtualPadInput::dpadRight, 1, &PlayerInput::right},
        {virtualPadInput::rightTrigger, 32767, &PlayerInput::up},
        {virtualPadInput::buttonB, 1, &PlayerInput::up},
        {virtualPadInput::dpadUp, 1, &PlayerInput::up},
        {virtualPadInput::buttonA, 1, &PlayerInput::fire},
    };
    for (const padRow& row : rows) {
        setVirtualGamepad(pad, row.input, row.value);
        drain();
        m_game.readKeys();
        EXPECT_TRUE(m_game.getInput().*row.flag) << static_cast<int>(row.input);
        const int others = m_game.getInput().up + m_game.getInput().left + m_game.getInput().right +
                           m_game.getInput().fire - 1;
        EXPECT_EQ(others, 0) << static_cast<int>(row.input);
        setVirtualGamepad(pad, row.input, 0);
        drain();
        m_game.readKeys();
        EXPECT_FALSE(m_game.getInput().*row.flag) << static_cast<int>(row.input);
    }
    // A stick resting a little off centre turns nothing.
    setVirtualGamepad(pad, virtualPadInput::leftStickX, -GAMEPAD_STICK_DEAD_ZONE);
    drain();
    m_game.readKeys();
    EXPECT_FALSE(m_game.getInput().left);

    setVirtualGamepad(pad, virtualPadInput::buttonA, 1);
    drain();
    detachVirtualGamepad(pad);
    drain();
    EXPECT_EQ(getGamepadCount(), 0);
    m_game.readKeys();
    EXPECT_FALSE(m_game.getInput().fire);
}

// File, "Name ...": the box holds the name and takes typing and Backspace
// (UTF-8, a character at a time, 31 bytes at most) while the game's keys stay
// untouched; Enter gives the game the name, which keeps it and saves it, and
// Escape leaves it as it was.
TEST_F(shellWindow, theNameBoxFromTheMenuChangesTheNameAndSavesIt) {
    // CTest gives the test a configuration folder of its own; run by hand,
    // the test leaves the user's settings alone.
    if (std::getenv("XDG_CONFIG_HOME") == nullptr)
        GTEST_SKIP() << "XDG_CONFIG_HOME is not set";
    const std::string file = settingsFilePath();
    std::filesystem::remove(file);
    m_game.loadUserSettings();
    const menuStrip layout;
    clickAt(layout.titleLeft(0) + 6, 8);
    clickAt(layout.titleLeft(0) + 16, MENU_STRIP_HEIGHT + MENU_ITEM_HEIGHT / 2);
    drain();
    m_game.update(MIN_FRAME_TIME); // the game takes the menus' commands
    ASSERT_TRUE(isNameBoxOpen(m_window));
    EXPECT_EQ(getNameBoxText(m_window), "Player");
    for (int i = 0; i < 8; ++i)
        pressKey(VK_BACK);
    pushKeyEvent('W', true, false, false);
    pushTextEvent("Zo\xC3\xAB!");
    pressKey(VK_BACK);
    pushTextEvent("\xC3\xA9");
    pressKey(VK_BACK);
    drain();
    m_game.update(MIN_FRAME_TIME);
    EXPECT_EQ(getNameBoxText(m_window), "Zo\xC3\xAB");
    EXPECT_FALSE(g_keys->isDown('W'));
    pressKey(VK_RETURN);
    drain();
    m_game.update(MIN_FRAME_TIME);
    EXPECT_FALSE(isNameBoxOpen(m_window));
    EXPECT_EQ(m_game.getPlayerName(), "Zo\xC3\xAB");
    userSettings written;
    std::string error;
    EXPECT_TRUE(loadSettings(file, written, error)) << error;
    EXPECT_EQ(written.name, "Zo\xC3\xAB");

    pushKeyEvent('F', true, true, false);
    pushKeyEvent('F', false, true, false);
    pressKey('N');
    drain();
    m_game.update(MIN_FRAME_TIME);
    ASSERT_TRUE(isNameBoxOpen(m_window));
    pushTextEvent("abcdefghijklmnopqrst");
    pushTextEvent("uvwxy\xC3\xA9\xC3\xA9"); // the second é would end at byte 33
    drain();
    m_game.update(MIN_FRAME_TIME);
    EXPECT_EQ(getNameBoxText(m_window), "Zo\xC3\xAB"
                                        "abcdefghijklmnopqrstuvwxy\xC3\xA9");
    pressKey(VK_ESCAPE);
    drain();
    m_game.update(MIN_FRAME_TIME);
    EXPECT_FALSE(isNameBoxOpen(m_window));
    EXPECT_EQ(m_game.getPlayerName(), "Zo\xC3\xAB");
    std::filesystem::remove(file);
}

// A name the rule refuses keeps the box open with the reason, and the name as it was.
TEST_F(shellWindow, theNameBoxRefusesWhatTheNameRuleRefuses) {
    const struct {
        const char* name;
        const char* typed;
    } rows[] = {
        {"empty", ""},
        {"right-to-left override", "\xE2\x80\xAE"
                                   "evil"},
        {"bell", "ding\x07"},
        {"screen clear", "\x1B[2J"},
        {"line feed", "two\nlines"},
        {"invalid UTF-8", "bad\xFF"},
    };
    nameBox layout;
    layout.open(GAME_AREA_WIDTH, MENU_STRIP_HEIGHT + GAME_AREA_HEIGHT, "", 0);
    for (const auto& row : rows) {
        dispatchMessage({WM_COMMAND, COMMAND_NAME, 0});
        m_game.update(MIN_FRAME_TIME);
        ASSERT_TRUE(isNameBoxOpen(m_window)) << row.name;
        for (int i = 0; i < 8; ++i)
            pressKey(VK_BACK);
        pushTextEvent(row.typed);
        clickAt(layout.okButton().x + 5, layout.okButton().y + 5);
        drain();
        m_game.update(MIN_FRAME_TIME);
        m_game.update(MIN_FRAME_TIME);
        EXPECT_TRUE(isNameBoxOpen(m_window)) << row.name;
        EXPECT_FALSE(getNameBoxReason(m_window).empty()) << row.name;
        EXPECT_EQ(m_game.getPlayerName(), "Player") << row.name;
        clickAt(layout.closeMark().x + 8, layout.closeMark().y + 8);
        drain();
        m_game.update(MIN_FRAME_TIME);
        m_game.update(MIN_FRAME_TIME);
        EXPECT_FALSE(isNameBoxOpen(m_window)) << row.name;
    }
}

TEST(playArea, theLargestCentredSquareBelowTheMenuStrip) {
    struct row {
        int width, height, menu;
        pixelRect area;
    };
    const row rows[] = {
        {700, 720, 20, {0, 20, 700, 700}},     {900, 600, 20, {160, 20, 580, 580}},
        {600, 900, 20, {0, 160, 600, 600}},    {1280, 720, 20, {290, 20, 700, 700}},
        {2800, 2880, 40, {0, 60, 2800, 2800}}, // a high-density screen: twice the pixels
        {10, 10, 20, {4, 20, 1, 1}},           // smaller than the strip: never empty
    };
    for (const row& r : rows) {
        const pixelRect area = fitPlayArea(r.width, r.height, r.menu);
        EXPECT_EQ(area, r.area) << r.width << "x" << r.height << ": " << area.x << "," << area.y << " "
                                << area.width << "x" << area.height;
    }
}

TEST_F(shellWindow, f11AndAltEnterSwitchFullScreenAndKeepTheKeyTableClean) {
    const struct {
        uint32_t key;
        bool alt;
    } presses[] = {{VK_F11, false}, {VK_F11, false}, {VK_RETURN, true}, {VK_RETURN, true}};
    bool expected = false;
    for (const auto& press : presses) {
        pushKeyEvent(press.key, true, press.alt, false);
        pushKeyEvent(press.key, true, press.alt, true); // auto-repeat does not switch back
        pushKeyEvent(press.key, false, press.alt, false);
        drain();
        expected = !expected;
        EXPECT_EQ(getWindowPlacement(m_window).fullScreen, expected) << press.key;
        EXPECT_FALSE(g_keys->isDown(press.key)) << press.key;
    }
}

} // namespace
