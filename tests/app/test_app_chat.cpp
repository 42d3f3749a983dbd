#include "game/client/zebgamestatecollector.h"
#include "game/common/gamenames.h"
#include "networklib/networkclient.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The dedicated server as a separate process on loopback, its operator typing
// on its standard input, and players of this process: two copies that chat and
// one that knows only the design's messages.
namespace {

constexpr int WAIT_MS = 10000;

bool isDesignServerType(int type) {
    return type == 6 || type == 7 || type == 8 || type == 11 || type == 12;
}

struct player {
    explicit player(const std::string& name, bool designOnly) : designOnly(designOnly), name(name) {
        collector.setPlayerName(name);
        connection.setApplicationGuid(APPLICATION_GUID);
        connection.initialise();
    }

    // One frame: what arrived in, what the copy sends out; the design-only copy
    // sends none of the extensions.
    void frame() {
        messageQueue arrived;
        connection.receiveMessages(arrived);
        messageQueue copy = arrived;
        while (copy.hasMessages())
            types.push_back(copy.pop().getType());
        messageQueue out;
        collector.update(1.0f / 45.0f, arrived, out);
        std::vector<ChatLine> lines;
        collector.takeChatLines(lines);
        for (const ChatLine& line : lines)
            heard.push_back(std::string(line.name) + ": " + line.text);
        while (out.hasMessages()) {
            const networkMessage message = out.pop();
            if (!designOnly)
                connection.send(message);
            else if (message.getType() == MSG_JOIN_REQUEST) // the name alone, as the design writes it
                connection.send(writeJoinRequest(name.c_str()));
            else if (message.getType() == MSG_PLAYER_INPUT || message.getType() == MSG_PLAYER_STATE)
                connection.send(message);
        }
    }

    bool designOnly;
    std::string name;
    networkClient connection;
    ZEBGameStateCollector collector;
    std::vector<int> types;
    std::vector<std::string> heard;
};

class serverChat : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        const std::string folder = makeTempFolder("chat");
        const std::string fifo = folder + "/operator";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        m_operator = open(fifo.c_str(), O_RDWR); // the server's reading end never waits for a writer
        ASSERT_GE(m_operator, 0);
        m_port = std::to_string(findFreePort());
        m_server = startProgram(ZEB_PROGRAM, {"--server", "--port", m_port}, folder, {}, fifo);
        ASSERT_TRUE(
            waitUntil([&] { return output().find("on port " + m_port) != std::string::npos; }, WAIT_MS))
            << readFile(m_server.folder + "/stderr.txt");
    }
    void TearDown() override {
        killAndReap(m_server);
        if (m_operator >= 0)
            close(m_operator);
    }
    std::string output() const { return readFile(m_server.folder + "/stdout.txt"); }
    void type(const std::string& line) {
        ASSERT_EQ(write(m_operator, line.data(), line.size()), ssize_t(line.size()));
    }

    // Frames of every player until condition holds.
    template <typename Condition> bool framesUntil(Condition condition) {
        return waitUntil(
            [&] {
                for (auto& p : m_players)
                    p->frame();
                return condition();
            },
            WAIT_MS);
    }
    player& join(const std::string& name, bool designOnly = false) {
        m_players.push_back(std::make_unique<player>(name, designOnly));
        EXPECT_TRUE(m_players.back()->connection.connectTo("127.0.0.1:" + m_port));
        return *m_players.back();
    }

    appProcess m_server;
    int m_operator = -1;
    std::string m_port;
    std::vector<std::unique_ptr<player>> m_players;
};

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST_F(serverChat, linesAreRelayedPrintedLimitedAndCleanAndACopyOfTheDesignHearsNone) {
    player& ann = join("Ann");
    player& bob = join("Bob");
    player& old = join("Old", true);
    ASSERT_TRUE(framesUntil(
        [&] { return ann.collector.canChat() && bob.collector.canChat() && old.collector.hasJoined(); }));

    type("welcome aboard\n");
    ASSERT_TRUE(framesUntil(
        [&] { return has(ann.heard, "Host: welcome aboard") && has(bob.heard, "Host: welcome aboard"); }));

    // Four lines at once: the fourth is over the limit, and Ann alone hears why.
    for (const char* text : {"one", "two", "three", "four"}) {
        ann.collector.say(text);
        ann.frame();
    }
    ASSERT_TRUE(framesUntil([&] { return has(ann.heard, std::string("Host: ") + CHAT_TOO_FAST); }));
    // A line that would colour the operator's terminal is refused; the next clean one goes.
    bob.connection.send(writeChatSay("\x1b[31mred"));
    bob.collector.say("fine");
    ASSERT_TRUE(framesUntil([&] { return has(ann.heard, "Bob: fine"); }));
    EXPECT_EQ(bob.heard, (std::vector<std::string>{"Host: welcome aboard", "Ann: one", "Ann: two",
                                                   "Ann: three", "Bob: fine"}));

    // The server prints a line after it has sent it: the print is waited for, not read at once.
    const char* const printedLines[] = {"Z Host: welcome aboard\n", "Z Ann: one\n", "Z Ann: three\n",
                                        "Z Bob: fine\n"};
    const auto allPrinted = [&] {
        const std::string now = output();
        return std::all_of(std::begin(printedLines), std::end(printedLines),
                           [&](const char* line) { return now.find(line) != std::string::npos; });
    };
    EXPECT_TRUE(framesUntil(allPrinted)) << output();
    const std::string printed = output();
    EXPECT_EQ(printed.find("four"), std::string::npos);
    EXPECT_EQ(printed.find("red"), std::string::npos);

    EXPECT_TRUE(old.heard.empty());
    EXPECT_FALSE(old.types.empty());
    for (int type : old.types)
        EXPECT_TRUE(isDesignServerType(type)) << "type " << type;
    stopProcess(m_server, SIGTERM);
    EXPECT_TRUE(waitForExit(m_server, WAIT_MS));
}

// The real program watching: it finds the game by searching, joins without a
// ship, is listed to the players and printed by the server, and draws the
// game with the list under the score table.
TEST_F(serverChat, aCopyThatWatchesTakesNoPlaceAndIsListedWhileItWatches) {
    player& ann = join("Ann");
    ASSERT_TRUE(framesUntil([&] { return ann.collector.canChat(); }));
    const std::string folder = makeTempFolder("watch");
    appProcess eve = startProgram(
        ZEB_PROGRAM, {"--spectate", "--name", "Eve", "--frames", "200", "--screenshot", "watch.png"}, folder);
    ASSERT_TRUE(framesUntil([&] { return ann.collector.getWatchers() == std::vector<std::string>{"Eve"}; }))
        << readFile(folder + "/stderr.txt");
    EXPECT_TRUE(framesUntil([&] {
        return output().find("watches as Eve (1 watching)") != std::string::npos;
    })) << output();
    ASSERT_TRUE(framesUntil([&] { return waitForExit(eve, 1); }));
    EXPECT_EQ(exitCode(eve), 0) << readFile(folder + "/stderr.txt");
    ASSERT_TRUE(framesUntil([&] { return ann.collector.getWatchers().empty(); }));
    EXPECT_TRUE(framesUntil([&] {
        return output().find("stopped watching (0 watching)") != std::string::npos;
    })) << output();
    EXPECT_EQ(ann.collector.getStatsCount(), 1); // Eve never had a row

    pngImage picture;
    ASSERT_TRUE(readPNG(folder + "/watch.png", picture));
    EXPECT_GT(scoreRowExtent(picture, 0), 30);                        // Ann's row
    EXPECT_GT(countPixels(picture, 0, 300, 18, 52, isGreyText), 150); // who watches, what the view shows
    EXPECT_GT(countPixels(picture, 0, 700, 80, 600, [](uint32_t p) { return !isBackground(p); }),
              200); // the game
}
