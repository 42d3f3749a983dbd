#include "core/littleendian.h"
#include "game/rules/extensions.h"
#include "game/rules/protocol.h"
#include "platform/net/netprotocol.h"
#include "platform/net/nettcp.h"
#include "tests/app/appprocess.h"
#include "tests/app/httpget.h"
#include "tests/networklib/webtestclient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

// zeb-server --web on loopback, with a browser's part played by a test-side
// WebSocket client that speaks the game's own protocol: it loads the page,
// joins beside a bot, is listed in the score table and the counters, and
// leaves; the server then stops cleanly.
namespace {

constexpr int WAIT_MS = 20000;

double metric(const std::string& body, const std::string& name) {
    const size_t at = body.find("\n" + name + " ");
    return at == std::string::npos ? -1.0 : std::stod(body.substr(at + name.size() + 2));
}

// The port after the first "marker" in text; 0 when there is none.
uint16_t portAfter(const std::string& text, const std::string& marker) {
    const size_t at = text.find(marker);
    if (at == std::string::npos)
        return 0;
    const size_t colon = text.find(':', text.find("//", at) + 2);
    return colon == std::string::npos ? 0 : static_cast<uint16_t>(std::stoi(text.substr(colon + 1)));
}

std::vector<uint8_t> wireOf(const networkMessage& message) {
    return std::vector<uint8_t>(message.getWireBuffer(), message.getWireBuffer() + message.getWireSize());
}

bool listsPlayer(const webRead& read, const std::string& name) {
    std::vector<PlayerStats> rows;
    if (read.kind != webReadKind::message || read.payload.size() < MESSAGE_TYPE_SIZE ||
        readI32(read.payload.data()) != MSG_PLAYER_STATS ||
        !readPlayerStats(read.payload.data() + MESSAGE_TYPE_SIZE,
                         static_cast<int>(read.payload.size() - MESSAGE_TYPE_SIZE), &rows))
        return false;
    return std::any_of(rows.begin(), rows.end(),
                       [&name](const PlayerStats& row) { return name == row.name; });
}

class webServer : public ::testing::Test {
  protected:
    void TearDown() override { killAndReap(m_server); }
    std::string output() const { return readFile(m_server.folder + "/stdout.txt"); }
    std::string errors() const { return readFile(m_server.folder + "/stderr.txt"); }

    appProcess m_server;
};

TEST_F(webServer, ABrowserPlayerJoinsIsListedAndCountedAndLeaves) {
    const std::string folder = makeTempFolder("web");
    ASSERT_TRUE(copyGameData(folder));
    std::filesystem::create_directories(folder + "/page");
    std::ofstream(folder + "/page/index.html") << "<title>ZEB</title>";
    m_server = startProgram(ZEB_SERVER_PROGRAM,
                            {"--port", std::to_string(findFreePort()), "--web", "0", "--web-root", "page",
                             "--bots", "1", "--metrics", "0"},
                            folder);
    ASSERT_TRUE(waitUntil([&] { return output().find("/metrics\n") != std::string::npos; }, WAIT_MS))
        << output() << errors();
    const uint16_t webPort = portAfter(output(), "browsers join at ");
    const uint16_t metricsPort = portAfter(output(), "counters on ");
    ASSERT_NE(webPort, 0) << output();
    EXPECT_EQ(okBody(httpGetLoopback(webPort, "/?name=Webby", 5000)), "<title>ZEB</title>");
    EXPECT_EQ(httpGetLoopback(webPort, "/../stdout.txt", 5000).substr(0, 12), "HTTP/1.1 404");

    webTestClient browser;
    ASSERT_EQ(browser.handshake(webPort), 101);
    browser.sendMessage(wireOf(writeAnnouncingJoinRequest("Webby", OWN_CAPABILITIES)));
    ASSERT_TRUE(waitUntil([&] { return listsPlayer(browser.next(100), "Webby"); }, WAIT_MS))
        << "the score table sent to the browser lists it";
    ASSERT_TRUE(
        waitUntil([&] { return output().find("joined as Webby by browser") != std::string::npos; }, WAIT_MS))
        << output();
    std::string body;
    const auto scrape = [&] { return body = okBody(httpGetLoopback(metricsPort, "/metrics", 3000)); };
    ASSERT_TRUE(waitUntil([&] { return metric(scrape(), "zeb_browser_players_connected") == 1; }, WAIT_MS))
        << body;
    EXPECT_EQ(metric(body, "zeb_players_connected"), 2) << "the bot and the browser";
    EXPECT_EQ(metric(body, "zeb_browser_players_total"), 1);
    EXPECT_GT(metric(body, "zeb_web_sent_bytes_total"), 0);

    browser.closeWith(WEB_CLOSE_APPLICATION + NET_DISCONNECT_LEAVE);
    EXPECT_EQ(browser.waitClosed(WAIT_MS), WEB_CLOSE_APPLICATION + NET_DISCONNECT_LEAVE);
    ASSERT_TRUE(waitUntil([&] { return output().find("(Webby) left") != std::string::npos; }, WAIT_MS))
        << output();
    ASSERT_TRUE(waitUntil([&] { return metric(scrape(), "zeb_browser_players_connected") == 0; }, WAIT_MS))
        << body;
    EXPECT_EQ(metric(body, "zeb_peers_dropped_total"), 0) << "it left; it was not lost";
    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, WAIT_MS));
    EXPECT_EQ(exitCode(m_server), 0);
}

TEST_F(webServer, AWebPortThatIsTakenStopsTheServerWithStatusTwo) {
    const netSocketHandle taken = openTcpListener(0);
    ASSERT_NE(taken, NET_NO_SOCKET);
    const std::string port = std::to_string(localPort(taken));
    const std::string folder = makeTempFolder("taken");
    ASSERT_TRUE(copyGameData(folder));
    m_server =
        startProgram(ZEB_SERVER_PROGRAM,
                     {"--port", std::to_string(findFreePort()), "--web", port, "--web-root", "none"}, folder);
    ASSERT_TRUE(waitForExit(m_server, WAIT_MS));
    closeSocket(taken);
    EXPECT_EQ(exitCode(m_server), 2);
    EXPECT_NE(errors().find("cannot serve browsers on TCP port " + port + ": the port is taken"),
              std::string::npos)
        << errors();
}

} // namespace
