// Set-up never leaves the window black: it reports what it does while it
// searches, hosts and joins, and a window closed meanwhile ends it at once.

#include "game/shell/shell.h"
#include "platform/system/window.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> g_statuses;
int g_answersLeft = 0; // how many progress calls the window survives

bool recordStatus(const char* status) {
    g_statuses.push_back(status);
    renderSetupStatus(status);
    return g_answersLeft-- > 0;
}

bool saw(const char* status) {
    return std::find(g_statuses.begin(), g_statuses.end(), status) != g_statuses.end();
}

class setupScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
        const std::string folder = makeTempFolder("setupscreen");
        ASSERT_TRUE(copyGameData(folder));
        ASSERT_EQ(chdir(folder.c_str()), 0);
        g_options.port = findFreePort();
        const char* reason = nullptr;
        ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
        m_window = createGameWindow(WINDOW_TITLE, shellWindowProcedure);
        ASSERT_NE(m_window, nullptr);
        g_statuses.clear();
        setSetupProgress(recordStatus);
    }
    void TearDown() override {
        shutdownGame();
        setSetupProgress(nullptr);
        destroyWindow(m_window);
        windowMessage msg;
        while (peekMessage(msg)) {
        }
    }
    gameWindow* m_window = nullptr;
};

TEST_F(setupScreen, saysWhatItDoesWhileItSearchesHostsAndJoins) {
    g_answersLeft = 1000000;
    ASSERT_EQ(setupGame(m_window), setupResult::joined);
    EXPECT_EQ(g_statuses.front(), SEARCHING_TEXT);
    EXPECT_TRUE(saw(HOSTING_TEXT));
    EXPECT_TRUE(saw(JOINING_TEXT));
}

TEST_F(setupScreen, aWindowClosedDuringTheSearchEndsSetUp) {
    g_answersLeft = 0;
    EXPECT_EQ(setupGame(m_window), setupResult::unavailable);
    EXPECT_EQ(g_statuses.size(), 1u); // asked once, then never again
    EXPECT_FALSE(g_running);
}

} // namespace
