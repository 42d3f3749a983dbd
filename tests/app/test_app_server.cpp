#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace {

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class dedicatedServer : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override {
        for (appProcess* process : {&m_server, &m_searching, &m_connecting})
            killAndReap(*process);
    }
    std::string serverOutput() const { return readFile(m_server.folder + "/stdout.txt"); }

    appProcess m_server;
    appProcess m_searching;
    appProcess m_connecting;
};

TEST_F(dedicatedServer, twoHeadlessClientsJoinPlayAndLeave) {
    const std::string port = std::to_string(findFreePort());
    m_server = startProgram(ZEB_PROGRAM, {"--log", "--server", "--port", port}, makeTempFolder("server"));
    ASSERT_TRUE(waitUntil(
        [&] { return serverOutput().find("hosting \"The Game\" on port " + port) != std::string::npos; },
        10000))
        << readFile(m_server.folder + "/stderr.txt");

    // One client finds the server by searching, the other is told where it is.
    m_searching = startProgram(ZEB_PROGRAM, {"--log", "--frames", "135", "--screenshot", "final.png"},
                               makeTempFolder("searching"));
    m_connecting = startProgram(ZEB_PROGRAM, {"--log", "--connect", "127.0.0.1:" + port, "--frames", "135"},
                                makeTempFolder("connecting"));
    ASSERT_TRUE(waitForExit(m_searching, 30000));
    ASSERT_TRUE(waitForExit(m_connecting, 30000));
    EXPECT_EQ(exitCode(m_searching), 0);
    EXPECT_EQ(exitCode(m_connecting), 0);
    for (const appProcess* client : {&m_searching, &m_connecting}) {
        const std::vector<int> types = readLogTypes(client->folder + "/message_log.csv");
        EXPECT_EQ(countType(types, 6), 1);  // the full state
        EXPECT_GE(countType(types, 11), 1); // a score table
        EXPECT_EQ(countType(types, 3), 0);  // the session never ended under them
    }

    // One line per player joining and leaving; the server has no player of its own.
    ASSERT_TRUE(waitUntil([&] { return occurrences(serverOutput(), " left ") == 2; }, 10000))
        << serverOutput();
    EXPECT_EQ(occurrences(serverOutput(), " joined "), 2);
    const std::vector<int> serverLog = readLogTypes(m_server.folder + "/message_log.csv");
    EXPECT_EQ(countType(serverLog, 1), 2);
    EXPECT_EQ(countType(serverLog, 2), 2);
    EXPECT_GE(countType(serverLog, 5), 2); // join requests
    pngImage picture;
    ASSERT_TRUE(readPNG(m_searching.folder + "/final.png", picture));
    EXPECT_GT(scoreRowExtent(picture, 0), 40);
    EXPECT_GT(scoreRowExtent(picture, 1), 40);
    EXPECT_EQ(scoreRowExtent(picture, 2), -1);

    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);
    EXPECT_NE(serverOutput().find("ZEB server: stopped"), std::string::npos);
}

// A client that joins and stays sees the session end when the server is stopped.
TEST_F(dedicatedServer, stoppingTheServerEndsTheSessionForItsPlayers) {
    const std::string port = std::to_string(findFreePort());
    m_server = startProgram(ZEB_PROGRAM, {"--log", "--server", "--port", port}, makeTempFolder("server"));
    ASSERT_TRUE(waitUntil([&] { return serverOutput().find("hosting") != std::string::npos; }, 10000));
    m_connecting = startProgram(ZEB_PROGRAM, {"--log", "--connect", "127.0.0.1:" + port, "--no-rejoin"},
                                makeTempFolder("staying"));
    const std::string clientLog = m_connecting.folder + "/message_log.csv";
    ASSERT_TRUE(waitUntil([&] { return countType(readLogTypes(clientLog), 6) == 1; }, 10000));
    stopProcess(m_server, SIGINT);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);
    EXPECT_TRUE(waitUntil([&] { return countType(readLogTypes(clientLog), 3) == 1; }, 3000));
    stopProcess(m_connecting, SIGTERM); // the window program quits as if its window closed
    ASSERT_TRUE(waitForExit(m_connecting, 10000));
    EXPECT_EQ(exitCode(m_connecting), 0);
}

} // namespace

namespace {

// A host that stops answering (here: stopped by a signal) is shown as
// "Connection lost ..." over the game well before the connection is dropped.
TEST_F(dedicatedServer, aHostThatStopsAnsweringShowsConnectionLostOverTheGame) {
    const std::string port = std::to_string(findFreePort());
    m_server = startProgram(ZEB_PROGRAM, {"--server", "--port", port}, makeTempFolder("server"));
    ASSERT_TRUE(waitUntil([&] { return serverOutput().find("hosting") != std::string::npos; }, 10000));
    m_connecting = startProgram(
        ZEB_PROGRAM, {"--log", "--connect", "127.0.0.1:" + port, "--screenshot", "final.png", "--no-rejoin"},
        makeTempFolder("frozen"));
    const std::string clientLog = m_connecting.folder + "/message_log.csv";
    ASSERT_TRUE(waitUntil([&] { return countType(readLogTypes(clientLog), 6) == 1; }, 10000));
    stopProcess(m_server, SIGSTOP);
    // A silence longer than the notice's second and shorter than the five
    // seconds after which the connection is given up; the client then quits
    // and saves what it showed last.
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    stopProcess(m_connecting, SIGTERM);
    ASSERT_TRUE(waitForExit(m_connecting, 30000));
    EXPECT_EQ(exitCode(m_connecting), 0);
    EXPECT_EQ(countType(readLogTypes(clientLog), 3), 0); // still connected
    pngImage picture;
    ASSERT_TRUE(readPNG(m_connecting.folder + "/final.png", picture));
    EXPECT_GT(countPixels(picture, 250, 500, 190, 215, isRedText), 30); // above the start points
}

} // namespace
