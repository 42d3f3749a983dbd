// Set-up never leaves the window black: it runs in the window's frames and
// says what it does while it searches, hosts and joins, and a window closed
// meanwhile ends it at once.

#include "game/common/options.h"
#include "game/windowed/windowedgame.h"
#include "platform/system/window.h"
#include "platform/system/windowloop.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class setupScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
        const std::string folder = makeTempFolder("setupscreen");
        ASSERT_TRUE(copyGameData(folder));
        ASSERT_EQ(chdir(folder.c_str()), 0);
        m_options.port = findFreePort();
        const char* reason = nullptr;
        ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
        m_window = createGameWindow(WINDOW_TITLE, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_game = std::make_unique<ZEBWindowedGame>(m_options);
        m_game->attachWindow(m_window);
    }
    void TearDown() override {
        m_game.reset();
        destroyWindow(m_window);
        windowMessage msg;
        while (peekMessage(msg)) {
        }
    }

    gameOptions m_options;
    gameWindow* m_window = nullptr;
    std::unique_ptr<ZEBWindowedGame> m_game;
};

TEST_F(setupScreen, saysWhatItDoesWhileItSearchesHostsAndJoins) {
    std::vector<std::string> statuses;
    m_game->start();
    const frameUpdateFunction update = [&](float changeInTime, float frameTime) {
        const bool accepted = m_game->update(changeInTime, frameTime);
        const std::string status = m_game->getSetupStatus();
        if (!status.empty() && (statuses.empty() || statuses.back() != status))
            statuses.push_back(status);
        if (m_game->isPlaying())
            closeWindow(m_window);
        return accepted;
    };
    EXPECT_EQ(runWindowLoop(
                  m_window, MIN_FRAME_TIME, update, [&] { m_game->render(); }, 2000),
              0);
    EXPECT_TRUE(m_game->isPlaying());
    EXPECT_EQ(statuses, (std::vector<std::string>{SEARCHING_TEXT, HOSTING_TEXT, JOINING_TEXT}));
}

TEST_F(setupScreen, aWindowClosedDuringTheSearchEndsSetUp) {
    m_game->start();
    closeWindow(m_window);
    runWindowLoop(
        m_window, MIN_FRAME_TIME,
        [&](float changeInTime, float frameTime) { return m_game->update(changeInTime, frameTime); },
        [&] { m_game->render(); }, 0);
    EXPECT_EQ(m_game->getStage(), setupStage::searching);
    EXPECT_EQ(m_game->getHosted(), nullptr);
}

} // namespace
