#include "core/random.h"
#include "game/common/options.h"
#include "game/windowed/windowedgame.h"
#include "platform/system/clock.h"
#include "platform/system/framegate.h"
#include "platform/system/window.h"
#include "platform/system/windowloop.h"
#include "sound/soundlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The frame update and the keys without a network: the parts that do not
// depend on a connection.
class shellFrame : public ::testing::Test {
  protected:
    void SetUp() override { m_shell.startOfflineSession({}); }

    gameOptions m_options;
    ZEBWindowedGame m_shell{m_options};
    keyStates& m_keys = m_shell.getKeys();
    PlayerInput& m_input = m_shell.getInput();
};

TEST_F(shellFrame, aFrameIsAcceptedOnlyFromAFortyFifthOfASecond) {
    m_keys.set(KEY_W, true);
    EXPECT_FALSE(m_shell.update(0.02f));
    EXPECT_FALSE(m_shell.update(0.0222222f));
    EXPECT_FALSE(m_shell.update(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(m_input.up); // a refused frame does not even read the keys
    EXPECT_EQ(m_shell.getSoundToggleDelay(), 0.0f);

    EXPECT_TRUE(m_shell.update(0.023f));
    EXPECT_TRUE(m_input.up);
    EXPECT_FLOAT_EQ(m_shell.getSoundToggleDelay(), -0.023f);
    EXPECT_TRUE(m_shell.update(MIN_FRAME_TIME));
    EXPECT_FLOAT_EQ(MIN_FRAME_TIME, 0.022222223f);
}

TEST_F(shellFrame, heldKeysSetTheirFlagsEveryFrameAndDownIsNeverWritten) {
    m_keys.set(KEY_W, true);
    m_keys.set(KEY_A, true);
    m_input.down = true;
    for (int frame = 0; frame < 3; ++frame) {
        m_input.up = false;
        m_input.left = false;
        m_shell.readKeys();
        EXPECT_TRUE(m_input.up);
        EXPECT_TRUE(m_input.left);
        EXPECT_FALSE(m_input.right);
        EXPECT_FALSE(m_input.fire);
        EXPECT_TRUE(m_input.down);
    }
    m_keys.set(KEY_W, false);
    m_keys.set(KEY_SPACE, true);
    m_keys.set(KEY_D, true);
    m_shell.readKeys();
    EXPECT_FALSE(m_input.up);
    EXPECT_TRUE(m_input.right);
    EXPECT_TRUE(m_input.fire);

    // While no game is played the controls are left alone.
    ZEBWindowedGame idle(m_options);
    idle.getInput().fire = true;
    idle.readKeys();
    EXPECT_TRUE(idle.getInput().fire);
}

TEST_F(shellFrame, zTogglesSoundOncePerPressAndAtMostOncePerThreeQuartersOfASecond) {
    ASSERT_TRUE(m_shell.getSounds().isEnabled());
    m_keys.set(KEY_Z, true);
    m_shell.readKeys();
    EXPECT_FALSE(m_shell.isSoundEnabled());
    EXPECT_FALSE(m_shell.getSounds().isEnabled());
    EXPECT_FALSE(m_keys.isDown(KEY_Z)); // the press is consumed
    EXPECT_FLOAT_EQ(m_shell.getSoundToggleDelay(), SOUND_TOGGLE_DELAY);
    m_shell.readKeys();
    EXPECT_FALSE(m_shell.isSoundEnabled());

    // Holding the key: auto-repeat sets the entry again every frame, and the
    // next toggle waits for the delay to run out.
    std::vector<int> toggles;
    bool state = m_shell.isSoundEnabled();
    for (int frame = 1; frame <= 20; ++frame) {
        m_keys.set(KEY_Z, true);
        ASSERT_TRUE(m_shell.update(0.1f));
        if (m_shell.isSoundEnabled() != state)
            toggles.push_back(frame);
        state = m_shell.isSoundEnabled();
    }
    EXPECT_EQ(toggles, (std::vector<int>{9, 17})); // 0.8 s apart at 0.1 s a frame
    EXPECT_EQ(m_shell.getSounds().isEnabled(), m_shell.isSoundEnabled());
}

TEST_F(shellFrame, soundCanBeToggledAfterTheGameIsLost) {
    ZEBWindowedGame idle(m_options);
    idle.getKeys().set(KEY_Z, true);
    EXPECT_TRUE(idle.update(0.05f)); // accepted frames go on, so the loop keeps drawing
    EXPECT_FALSE(idle.isSoundEnabled());
}

// A loop whose passes come every 0.1 to 0.4 ms, on a nanosecond clock: the
// gate takes 45 frames a simulated second, and the frames still run with the
// millisecond times between them.
TEST_F(shellFrame, theFineGateGivesFortyFiveFramesASecond) {
    constexpr uint64_t NANOSECONDS = 1000000000;
    constexpr uint64_t SIMULATED = 100 * NANOSECONDS;
    seedRandom(7);
    frameGate gate(NANOSECONDS, MIN_FRAME_TIME);
    uint64_t fine = 0;
    uint32_t last = 0;
    gate.start(fine);
    int frames = 0;
    double handedTime = 0.0;
    while (fine < SIMULATED) {
        fine += 100000 + static_cast<uint64_t>(random15()) * 300000 / RANDOM_MAX;
        const uint32_t now = static_cast<uint32_t>(fine / 1000000);
        const float changeInTime = static_cast<float>((now - last) / 1000.0);
        if (m_shell.update(changeInTime, gate.frameTime(fine))) {
            ASSERT_GE(changeInTime, 0.021f);
            ASSERT_LE(changeInTime, 0.023f);
            handedTime += changeInTime;
            last = now;
            gate.accept(fine);
            ++frames;
        }
    }
    EXPECT_NEAR(frames, 4500, 1);
    EXPECT_NEAR(handedTime, 100.0, 0.03);
}

TEST_F(shellFrame, theGateWaitsNoLongerThanTheFrameIsAwayAndStartsAfreshAfterAStall) {
    frameGate gate(1000000, MIN_FRAME_TIME); // microseconds
    gate.start(0);
    EXPECT_EQ(gate.getPeriod(), 22223u);
    // Rounded up: 0 only once the frame is due, so the loop never spins
    // through the last part of a frame, and a wait is at most 1 ms too long.
    EXPECT_EQ(gate.millisecondsUntilDue(0), 23u);
    EXPECT_EQ(gate.millisecondsUntilDue(21222), 2u);
    EXPECT_EQ(gate.millisecondsUntilDue(21223), 1u);
    EXPECT_EQ(gate.millisecondsUntilDue(22222), 1u);
    EXPECT_EQ(gate.millisecondsUntilDue(22223), 0u);
    EXPECT_LT(gate.frameTime(22222), MIN_FRAME_TIME);
    EXPECT_GE(gate.frameTime(22223), MIN_FRAME_TIME);
    gate.accept(22500);
    EXPECT_FLOAT_EQ(gate.frameTime(22500), 0.000277f); // measured from when it was due
    gate.accept(5000000);                              // a stall of five seconds
    EXPECT_EQ(gate.frameTime(5000000), 0.0f);
}

// The window's loop on a clock that moves only while the loop waits and by
// 50 microseconds a pass: over 450 frames it takes every frame on time, at
// most a millisecond late, and makes one pass a frame, never spinning through
// the part of a frame shorter than the wait's millisecond.
namespace loopClock {
constexpr int FRAMES = 450;
uint64_t g_fine = 0; // nanoseconds
int g_passes = 0;
int g_frames = 0;
int g_emptyWaits = 0;
float g_latest = 0.0f; // how long after it was due a frame was taken, in seconds
uint64_t ticks() {
    return g_fine;
}
uint32_t milliseconds() {
    g_fine += 50000;
    return static_cast<uint32_t>(g_fine / 1000000);
}
void wait(uint32_t milliseconds) {
    if (g_frames == FRAMES)
        return; // a posted quit ends a wait at once
    g_emptyWaits += milliseconds == 0 ? 1 : 0;
    g_fine += milliseconds * uint64_t(1000000);
}
} // namespace loopClock

TEST(windowLoop, sleepsUntilTheNextFrameIsDueWithoutSpinning) {
    const char* reason = nullptr;
    ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
    gameWindow* window = createGameWindow("loop", nullptr);
    ASSERT_NE(window, nullptr);
    for (windowMessage message; peekMessage(message);) {
    } // the window's own start-up events
    const ClockSource previous = setClockSource(loopClock::milliseconds);
    const FineClock previousFine = setFineClock({loopClock::ticks, 1000000000});
    const auto update = [](float, float frameTime) {
        ++loopClock::g_passes;
        if (frameTime < MIN_FRAME_TIME)
            return false;
        loopClock::g_latest = std::max(loopClock::g_latest, frameTime - MIN_FRAME_TIME);
        return true;
    };
    const auto render = [] {
        if (++loopClock::g_frames == loopClock::FRAMES)
            endWindowLoop(0);
    };
    EXPECT_EQ(runWindowLoop(window, MIN_FRAME_TIME, update, render, 0, loopClock::wait), 0);
    setFineClock(previousFine);
    setClockSource(previous);
    destroyWindow(window);

    EXPECT_EQ(loopClock::g_frames, loopClock::FRAMES);
    EXPECT_LE(loopClock::g_passes, loopClock::FRAMES + 2);
    EXPECT_EQ(loopClock::g_emptyWaits, 0);
    EXPECT_LT(loopClock::g_latest, 0.00106f);
    const double frameNanoseconds = 1e9 / 45.0;
    EXPECT_NEAR(static_cast<double>(loopClock::g_fine), loopClock::FRAMES * frameNanoseconds, 1.1e6);
}

// The arrows work beside W, A and D; other keys may be bound instead, and
// then the old ones do nothing.
TEST_F(shellFrame, arrowsWorkBesideTheLettersAndBindingsChangeTheKeys) {
    struct row {
        std::vector<uint32_t> down;
        bool up, left, right, fire;
    };
    const row arrows[] = {
        {{0x26}, true, false, false, false},      // Up
        {{0x25}, false, true, false, false},      // Left
        {{0x27}, false, false, true, false},      // Right
        {{0x28}, false, false, false, false},     // Down does nothing
        {{0x57, 0x26}, true, false, false, false} // both thrust keys
    };
    for (const row& r : arrows) {
        m_keys.clear();
        for (const uint32_t key : r.down)
            m_keys.set(key, true);
        m_shell.readKeys();
        EXPECT_EQ(m_input.up, r.up);
        EXPECT_EQ(m_input.left, r.left);
        EXPECT_EQ(m_input.right, r.right);
        EXPECT_EQ(m_input.fire, r.fire);
    }

    ASSERT_TRUE(parseKeyList("I", m_shell.getBindings().of(control::thrust)));
    ASSERT_TRUE(parseKeyList("m, num0", m_shell.getBindings().of(control::sound)));
    m_keys.clear();
    m_keys.set(KEY_W, true);
    m_keys.set(KEY_Z, true);
    m_shell.readKeys();
    EXPECT_FALSE(m_input.up);
    EXPECT_TRUE(m_shell.isSoundEnabled());
    m_keys.set('I', true);
    m_keys.set(0x60, true);
    m_shell.readKeys();
    EXPECT_TRUE(m_input.up);
    EXPECT_FALSE(m_shell.isSoundEnabled());
    EXPECT_FALSE(m_keys.isDown(0x60)); // the sound key's press is consumed
}

TEST(keyBindings, namesReadAndWriteBack) {
    struct row {
        const char* text;
        bool valid;
        const char* written;
    };
    const row rows[] = {
        {"W, Up", true, "W, Up"},     {"w,up", true, "W, Up"},  {"Space", true, "Space"},
        {"F1, F12", true, "F1, F12"}, {"Num7", true, "Num7"},   {"F10", false, ""},
        {"F11", false, ""},           {"", false, ""},          {"W,", false, ""},
        {"Escape", false, ""},        {"A,B,C,D,E", false, ""}, {"Ctrl , Shift", true, "Ctrl, Shift"},
    };
    for (const row& r : rows) {
        std::vector<uint32_t> keys = {0x41};
        EXPECT_EQ(parseKeyList(r.text, keys), r.valid) << r.text;
        EXPECT_EQ(keyListText(keys), r.valid ? r.written : "A") << r.text;
    }
}

} // namespace
