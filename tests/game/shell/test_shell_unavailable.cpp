// Set-up of a copy that joins a session which ends before answering: the
// whole client game in this process, against a bare host on loopback.

#include "drawing/render.h"
#include "game/client/zebgamestatecollector.h"
#include "game/common/options.h"
#include "game/rules/protocol.h"
#include "game/windowed/windowedgame.h"
#include "networklib/messagelog.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "platform/system/clock.h"
#include "platform/system/window.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The game's clock stands still unless the host's script moves it, so set-up
// cannot reach its join deadline by itself: it ends only through the network.
std::atomic<uint32_t> g_now{100000};

uint32_t scriptedClock() {
    return g_now.load();
}

constexpr uint32_t JOIN_DEADLINE_MS = 10000;
constexpr uint32_t RESEND_STEP_MS = 300; // more than the wait before a join request is asked again
constexpr int RESEND_STEPS = 10;         // 3 s of game time at most, far from the deadline
constexpr int PLAYER_WAIT_MS = 20000;
constexpr int REQUEST_WAIT_MS = 1000;
constexpr int SETUP_RETURN_WAIT_MS = 20000;

// A host that lets the player in, never answers its join request, and stops.
class silentHost {
  public:
    explicit silentHost(networkHost& host) : m_host(host) {}

    void run() {
        m_sawPlayer = waitUntil(
            [this] {
                received(MSG_JOIN_REQUEST);
                return m_playerJoined;
            },
            PLAYER_WAIT_MS);
        // Moving the clock past the pause lets set-up ask to join again, now
        // that it is connected.
        for (int step = 0; m_sawPlayer && step < RESEND_STEPS && !m_sawJoinRequest; ++step) {
            g_now += RESEND_STEP_MS;
            m_sawJoinRequest = waitUntil([this] { return received(MSG_JOIN_REQUEST); }, REQUEST_WAIT_MS);
        }
        m_host.stopHosting();
        // A set-up that ignores the end of the session is released by its deadline, and fails.
        if (!waitUntil([this] { return m_setupReturned.load(); }, SETUP_RETURN_WAIT_MS)) {
            m_forcedDeadline = true;
            g_now += 2 * JOIN_DEADLINE_MS;
        }
    }

    void setupReturned() { m_setupReturned = true; }
    bool sawPlayer() const { return m_sawPlayer; }
    bool sawJoinRequest() const { return m_sawJoinRequest; }
    bool forcedDeadline() const { return m_forcedDeadline; }

  private:
    // Takes what arrived at the host: true when a message of type came.
    bool received(int type) {
        messageQueue queue;
        std::vector<networkEvent> events;
        m_host.receiveMessages(queue, events);
        for (const networkEvent& event : events)
            m_playerJoined = m_playerJoined || event.kind == networkEventKind::playerJoined;
        bool found = false;
        while (queue.hasMessages())
            found = (queue.pop().getType() == type) || found;
        return found;
    }

    networkHost& m_host;
    bool m_playerJoined = false;
    std::atomic<bool> m_setupReturned{false};
    bool m_sawPlayer = false;
    bool m_sawJoinRequest = false;
    bool m_forcedDeadline = false;
};

int redTextPixels(const std::vector<uint32_t>& pixels, int width, int y0, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < width; ++x)
            count += isRedText(pixels[static_cast<size_t>(y) * width + x]) ? 1 : 0;
    }
    return count;
}

TEST(shellUnavailable, aSessionThatEndsBeforeTheJoinReplyLeavesTheGameUnavailable) {
    useLoopbackDiscovery();
    useHeadlessDrivers();
    const std::string folder = makeTempFolder("unavailable");
    ASSERT_TRUE(copyGameData(folder));
    ASSERT_EQ(chdir(folder.c_str()), 0);               // the level is read and the message log written here
    messageLog::keepMessageLog(MESSAGE_LOG_FILE_NAME); // as --log does

    // Another application's session: no copy of the game finds it by searching.
    networkHost host;
    host.setApplicationGuid(makeRandomGuid());
    host.setSessionName("Silent");
    host.setPort(findFreePort());
    host.initialise();
    host.startHosting();
    ASSERT_TRUE(host.isConnected());
    gameOptions options;
    options.connectHost = "127.0.0.1";
    options.connectPort = host.getPort();

    const char* reason = nullptr;
    ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
    gameWindow* window = createGameWindow(WINDOW_TITLE, nullptr);
    ASSERT_NE(window, nullptr);

    auto game = std::make_unique<ZEBWindowedGame>(options);
    game->attachWindow(window);
    const ClockSource realClock = setClockSource(scriptedClock);
    silentHost script(host);
    std::thread hostThread([&script] { script.run(); });
    game->start();
    // Set-up's frames run until it has come to an end, whichever it is.
    waitUntil(
        [&] {
            game->update(MIN_FRAME_TIME);
            return game->getStage() == setupStage::playing || game->getStage() == setupStage::unavailable;
        },
        SETUP_RETURN_WAIT_MS + PLAYER_WAIT_MS);
    script.setupReturned();
    hostThread.join();
    setClockSource(realClock);

    EXPECT_TRUE(script.sawPlayer());
    EXPECT_TRUE(script.sawJoinRequest());
    EXPECT_FALSE(script.forcedDeadline()) << "set-up went on waiting after the session ended";
    EXPECT_EQ(game->getStage(), setupStage::unavailable);
    EXPECT_EQ(game->getHosted(), nullptr);
    ZEBClientSession* session = game->getSession();
    ASSERT_NE(session, nullptr);
    EXPECT_FALSE(session->getConnection().isConnected());
    EXPECT_FALSE(session->getConnection().isConnecting());
    EXPECT_FALSE(session->getCollector().hasJoined());
    const std::vector<int> log = readLogTypes(folder + "/message_log.csv");
    EXPECT_EQ(countType(log, MSG_SESSION_TERMINATED), 1); // the client learnt that the session ended
    EXPECT_EQ(countType(log, MSG_FULL_STATE), 0);

    // The frame says so in red on the top line, and draws no game.
    game->render();
    ASSERT_NE(g_pd3dDevice, nullptr);
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(g_pd3dDevice->readFrame(&pixels));
    const int width = g_pd3dDevice->getAreaWidth();
    EXPECT_GT(redTextPixels(pixels, width, 0, TEXT_ROWS), 30);
    EXPECT_EQ(redTextPixels(pixels, width, TEXT_ROWS, g_pd3dDevice->getAreaHeight()), 0);

    game.reset();
}

} // namespace
