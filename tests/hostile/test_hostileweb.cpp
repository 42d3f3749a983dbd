#include "networklib/networkhost.h"
#include "platform/net/netevents.h"
#include "platform/net/netprotocol.h"
#include "platform/net/nettcp.h"
#include "platform/net/netwebserver.h"
#include "tests/networklib/nettesthelpers.h"
#include "tests/networklib/webtestclient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>

// The web port against browsers that misbehave, on loopback, on a clock the
// test moves: malformed and oversized frames, idle and unfinished requests,
// too many connections, a player gone silent and a reader that never reads.
namespace {

constexpr int WAIT_MS = 20000; // bounds a fault on a busy machine
constexpr uint32_t LOOPBACK = 0x7F000001;

std::atomic<uint32_t> s_now{1000};
uint32_t testClock() {
    return s_now;
}

class hostileWeb : public ::testing::Test {
  protected:
    void SetUp() override {
        s_now = 1000;
        m_root = std::filesystem::temp_directory_path() / ("zeb-web-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_root / "sub");
        std::ofstream(m_root / "index.html") << "<p>ZEB</p>";
        std::ofstream(m_root / "sub" / "game.js") << "plain";
        std::ofstream(m_root / "sub" / "game.js.gz") << "packed";
        std::ofstream(m_root / ".hidden") << "secret";
        netWebServer::hooks hooks;
        hooks.nextPlayerID = [this] { return m_nextID++; };
        hooks.post = [this](netIncoming event) {
            std::lock_guard<std::mutex> lock(m_lock);
            m_events.push_back(std::move(event));
        };
        hooks.clock = &testClock;
        ASSERT_TRUE(m_server.start(0, m_root.string(), hooks));
        m_port = m_server.getPort();
    }
    void TearDown() override {
        m_server.stop();
        std::filesystem::remove_all(m_root);
    }

    size_t count(netEventKind kind) {
        std::lock_guard<std::mutex> lock(m_lock);
        return static_cast<size_t>(
            std::count_if(m_events.begin(), m_events.end(),
                          [kind](const netIncoming& event) { return event.kind == kind; }));
    }
    netIncoming last(netEventKind kind) {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto found = std::find_if(m_events.rbegin(), m_events.rend(),
                                        [kind](const netIncoming& event) { return event.kind == kind; });
        return found == m_events.rend() ? netIncoming{} : *found;
    }
    // Moves the clock and waits until the server has looked at it (it looks at least each second).
    void advance(uint32_t ms) { s_now += ms; }

    std::filesystem::path m_root;
    netWebServer m_server;
    uint16_t m_port = 0;
    std::atomic<uint32_t> m_nextID{1};
    std::mutex m_lock;
    std::vector<netIncoming> m_events;
};

TEST_F(hostileWeb, PlayersTalkBothWaysAndLeaveOnPurpose) {
    webTestClient refused;
    EXPECT_EQ(refused.handshake(m_port, "zeb.2"), 400); // another version cannot connect
    webTestClient browser;
    ASSERT_EQ(browser.handshake(m_port), 101);
    ASSERT_TRUE(waitUntil([this] { return count(netEventKind::playerJoined) == 1; }, WAIT_MS));
    const netIncoming joined = last(netEventKind::playerJoined);
    EXPECT_TRUE(joined.viaBrowser);
    EXPECT_EQ(static_cast<uint32_t>(joined.detail), LOOPBACK);
    browser.sendMessage({5, 0, 0, 0, 'h', 'i'});
    ASSERT_TRUE(waitUntil([this] { return count(netEventKind::received) == 1; }, WAIT_MS));
    EXPECT_EQ(last(netEventKind::received).bytes, (std::vector<uint8_t>{5, 0, 0, 0, 'h', 'i'}));
    const uint8_t state[] = {6, 0, 0, 0, 42};
    m_server.send(joined.player, state, sizeof(state), true);
    const webRead read = browser.next(WAIT_MS);
    EXPECT_EQ(read.kind, webReadKind::message);
    EXPECT_EQ(read.payload, std::vector<uint8_t>(state, state + sizeof(state)));
    browser.closeWith(WEB_CLOSE_APPLICATION + NET_DISCONNECT_LEAVE);
    EXPECT_EQ(browser.waitClosed(WAIT_MS), WEB_CLOSE_APPLICATION + NET_DISCONNECT_LEAVE);
    ASSERT_TRUE(waitUntil([this] { return count(netEventKind::playerLeft) == 1; }, WAIT_MS));
    EXPECT_EQ(static_cast<uint32_t>(last(netEventKind::playerLeft).detail), NET_REASON_NORMAL);
    EXPECT_EQ(m_server.getStats().droppedPlayers, 0u);
    EXPECT_EQ(m_server.getPlayerCount(), 0u);
}

TEST_F(hostileWeb, MalformedAndOversizedFramesCloseWithTheirCodes) {
    std::vector<uint8_t> fragmentedPing = {0x09, 0x80, 0, 0, 0, 0};
    const uint8_t mask[4] = {1, 2, 3, 4};
    const std::vector<uint8_t> text = makeWebFrame(WEB_OPCODE_TEXT, mask, 4, mask);
    const struct {
        std::vector<uint8_t> bytes;
        int code;
    } cases[] = {
        {makeWebFrame(WEB_OPCODE_BINARY, mask, 4), WEB_CLOSE_PROTOCOL_ERROR}, // unmasked
        {text, WEB_CLOSE_UNSUPPORTED},
        {{0xC2, 0x80, 0, 0, 0, 0}, WEB_CLOSE_PROTOCOL_ERROR}, // a reserved bit
        {{0x85, 0x80, 0, 0, 0, 0}, WEB_CLOSE_PROTOCOL_ERROR}, // an unknown opcode
        {fragmentedPing, WEB_CLOSE_PROTOCOL_ERROR},
        {{0x89, 0xFE, 0x00, 0x7E, 0, 0, 0, 0}, WEB_CLOSE_PROTOCOL_ERROR},         // a ping of 126 bytes
        {{0x82, 0xFF, 0, 0, 0, 0, 0, 0x10, 0, 1, 0, 0, 0, 0}, WEB_CLOSE_TOO_BIG}, // one byte over the limit
    };
    static_assert(NET_MAX_PACKET_SIZE == 0x100000, "the oversized frame's length");
    size_t left = 0;
    for (const auto& test : cases) {
        webTestClient browser;
        ASSERT_EQ(browser.handshake(m_port), 101);
        browser.sendRaw(test.bytes);
        EXPECT_EQ(browser.waitClosed(WAIT_MS), test.code) << static_cast<int>(test.bytes[0]);
        ++left;
        ASSERT_TRUE(waitUntil([&] { return count(netEventKind::playerLeft) == left; }, WAIT_MS));
        EXPECT_EQ(static_cast<uint32_t>(last(netEventKind::playerLeft).detail), NET_REASON_CONNECTION_LOST);
    }
    EXPECT_EQ(count(netEventKind::received), 0u);
    EXPECT_EQ(m_server.getStats().droppedPlayers, left);
}

TEST_F(hostileWeb, ServesTheRootsFilesAndNothingElse) {
    const auto status = [this](const std::string& method, const std::string& target,
                               const std::string& headers = {}) {
        const std::string response = webTestRequest(m_port, method, target, headers);
        return response.substr(0, response.find("\r\n"));
    };
    const std::string page = webTestRequest(m_port, "GET", "/?name=Ann&watch=1");
    EXPECT_EQ(page.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_NE(page.find("Content-Type: text/html; charset=utf-8\r\n"), std::string::npos);
    EXPECT_NE(page.find("Cache-Control: no-cache\r\n"), std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 10), "<p>ZEB</p>");
    const std::string packed = webTestRequest(m_port, "GET", "/sub/game.js", "Accept-Encoding: gzip, br\r\n");
    EXPECT_NE(packed.find("Content-Encoding: gzip\r\n"), std::string::npos);
    EXPECT_EQ(packed.substr(packed.size() - 6), "packed");
    const std::string plain = webTestRequest(m_port, "GET", "/sub/game.js");
    EXPECT_NE(plain.find("Content-Type: text/javascript\r\n"), std::string::npos);
    EXPECT_EQ(plain.substr(plain.size() - 5), "plain");
    const std::string head = webTestRequest(m_port, "HEAD", "/");
    EXPECT_NE(head.find("Content-Length: 10\r\n"), std::string::npos);
    EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");
    EXPECT_EQ(status("GET", "/../" + m_root.filename().string() + "/index.html"), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(status("GET", "/%2e%2e/etc/passwd"), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(status("GET", "/.hidden"), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(status("GET", "/missing.js"), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(status("POST", "/"), "HTTP/1.1 405 Method Not Allowed");
    EXPECT_EQ(status("GET", "/play"), "HTTP/1.1 400 Bad Request"); // not an upgrade
    EXPECT_EQ(status("GET", "/", "X: " + std::string(WEB_MAX_REQUEST_BYTES, 'x') + "\r\n"),
              "HTTP/1.1 431 Request Header Fields Too Large");
}

TEST_F(hostileWeb, IdleAndUnfinishedConnectionsAreBounded) {
    std::vector<netSocketHandle> idle;
    for (size_t i = 0; i < WEB_MAX_CONNECTIONS; ++i)
        idle.push_back(connectTcp(LOOPBACK, m_port));
    const uint8_t unfinished[] = "GET / HTTP/1.1\r\nHost: x\r\n";
    sendTcp(idle.back(), unfinished, sizeof(unfinished) - 1);
    // A newcomer is served: the oldest idle connection made way for it.
    EXPECT_EQ(webTestRequest(m_port, "GET", "/").substr(0, 15), "HTTP/1.1 200 OK");
    const auto ended = [](netSocketHandle socket) {
        return waitUntil(
            [socket] {
                uint8_t byte = 0;
                const long size = receiveTcp(socket, &byte, 1);
                return size == 0 || size == NET_TCP_FAILED;
            },
            WAIT_MS);
    };
    EXPECT_TRUE(ended(idle.front()));
    // The rest go once they have been unfinished for the limit.
    advance(WEB_REQUEST_LIMIT_MS);
    for (size_t i = 1; i < idle.size(); ++i)
        EXPECT_TRUE(ended(idle[i])) << i;
    for (const netSocketHandle socket : idle)
        closeSocket(socket);
}

TEST_F(hostileWeb, AQuietPlayerHearsKeepalivesAndASilentOneIsDropped) {
    webTestClient browser;
    ASSERT_EQ(browser.handshake(m_port), 101);
    ASSERT_TRUE(waitUntil([this] { return count(netEventKind::playerJoined) == 1; }, WAIT_MS));
    const uint64_t heard = m_server.getStats().receivedBytes;
    advance(WEB_KEEPALIVE_MS);
    ASSERT_TRUE(waitUntil(
        [&] {
            return browser.next(10).kind == webReadKind::none && browser.getPingsSeen() > 0 &&
                   browser.getKeepalivesSeen() > 0;
        },
        WAIT_MS));
    // The pong (six bytes) was traffic: short of the limit after it, the player stays.
    ASSERT_TRUE(waitUntil([&] { return m_server.getStats().receivedBytes >= heard + 6; }, WAIT_MS));
    advance(NET_PEER_SILENCE_LIMIT_MS - 500);
    browser.answerPings(false);
    ASSERT_TRUE(waitUntil(
        [&] { return browser.next(10).kind == webReadKind::none && browser.getPingsSeen() > 1; }, WAIT_MS));
    EXPECT_EQ(count(netEventKind::playerLeft), 0u);
    advance(NET_PEER_SILENCE_LIMIT_MS);
    EXPECT_EQ(browser.waitClosed(WAIT_MS), WEB_CLOSE_APPLICATION + NET_DISCONNECT_TIMED_OUT);
    ASSERT_TRUE(waitUntil([this] { return count(netEventKind::playerLeft) == 1; }, WAIT_MS));
    EXPECT_EQ(static_cast<uint32_t>(last(netEventKind::playerLeft).detail), NET_REASON_CONNECTION_LOST);
    EXPECT_EQ(m_server.getStats().droppedPlayers, 1u);
}

TEST_F(hostileWeb, AReaderThatNeverReadsLosesUpdatesThenItsPlace) {
    webTestClient browser;
    ASSERT_EQ(browser.handshake(m_port), 101);
    ASSERT_TRUE(waitUntil([this] { return count(netEventKind::playerJoined) == 1; }, WAIT_MS));
    const uint32_t player = last(netEventKind::playerJoined).player;
    const std::vector<uint8_t> update(32 * 1024, 7);
    // The system's buffers fill first; then the unreliable share past 64 KiB is dropped.
    for (int i = 0; i < 2000 && m_server.getStats().droppedMessages == 0; ++i) {
        m_server.send(player, update.data(), update.size(), false);
        waitUntil(
            [&] {
                return m_server.getStats().sentMessages + m_server.getStats().droppedMessages > uint64_t(i);
            },
            WAIT_MS);
    }
    EXPECT_GT(m_server.getStats().droppedMessages, 0u);
    EXPECT_EQ(count(netEventKind::playerLeft), 0u);
    // Reliable messages are kept, up to 1 MiB unsent: then the reader is gone.
    for (int i = 0; i < 100 && count(netEventKind::playerLeft) == 0; ++i) {
        m_server.send(player, update.data(), update.size(), true);
        waitUntil([&] { return count(netEventKind::playerLeft) > 0; }, 5);
    }
    ASSERT_TRUE(waitUntil([this] { return count(netEventKind::playerLeft) == 1; }, WAIT_MS));
    EXPECT_EQ(static_cast<uint32_t>(last(netEventKind::playerLeft).detail), NET_REASON_CONNECTION_LOST);
    EXPECT_EQ(m_server.getStats().droppedPlayers, 1u);
}

// Through the host's own send path: a message to every player reaches the
// browser, and the game's refusal closes it with the code ENet would carry.
TEST(hostileWebHost, TheHostSendsToBrowsersAndDropsThemLikeAnyPlayer) {
    networkHost host;
    host.setApplicationGuid(testGuid());
    host.setPort(0);
    host.serveWeb(0, "");
    host.initialise();
    host.startHosting();
    ASSERT_NE(host.getWebPort(), 0);
    webTestClient browser;
    ASSERT_EQ(browser.handshake(host.getWebPort()), 101);
    arrivals all;
    ASSERT_TRUE(waitUntil(
        [&] {
            drain(host, all);
            return all.count(networkEventKind::playerJoined) == 1;
        },
        WAIT_MS));
    EXPECT_TRUE(all.last(networkEventKind::playerJoined)->viaBrowser);
    EXPECT_EQ(host.getPlayerCount(), 1u);
    const uint8_t payload[] = {1, 2, 3};
    host.send(networkMessage(42, payload, sizeof(payload))); // to every player
    const webRead read = browser.next(WAIT_MS);
    ASSERT_EQ(read.kind, webReadKind::message);
    EXPECT_EQ(read.payload, (std::vector<uint8_t>{42, 0, 0, 0, 1, 2, 3}));
    host.dropPlayer(all.last(networkEventKind::playerJoined)->playerID, networkDropReason::gameFull);
    EXPECT_EQ(browser.waitClosed(WAIT_MS), WEB_CLOSE_APPLICATION + NET_DISCONNECT_GAME_FULL);
    ASSERT_TRUE(waitUntil(
        [&] {
            drain(host, all);
            return all.count(networkEventKind::playerLeft) == 1;
        },
        WAIT_MS));
    EXPECT_EQ(host.getStats().droppedPeers, 0u) << "refused by the game, not lost";
    host.stopHosting();
}

} // namespace
