#include "core/random.h"
#include "game/windowed/windowedgame.h"
#include "game/common/options.h"
#include "platform/system/framegate.h"
#include "sound/soundlist.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(gate.millisecondsUntilDue(0), 22u);
    EXPECT_EQ(gate.millisecondsUntilDue(22000), 0u); // 0.223 ms left: spin, do not sleep past it
    EXPECT_LT(gate.frameTime(22222), MIN_FRAME_TIME);
    EXPECT_GE(gate.frameTime(22223), MIN_FRAME_TIME);
    gate.accept(22500);
    EXPECT_FLOAT_EQ(gate.frameTime(22500), 0.000277f); // measured from when it was due
    gate.accept(5000000);                              // a stall of five seconds
    EXPECT_EQ(gate.frameTime(5000000), 0.0f);
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
