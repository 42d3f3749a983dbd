// Chat between copies in one process, and how copies that know only the
// design's messages play beside it.

#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using play::Client;
using play::Harness;

namespace {

std::vector<ChatLine> takeLines(Client& client) {
    std::vector<ChatLine> lines;
    client.collector.takeChatLines(lines);
    return lines;
}

std::vector<std::string> texts(const std::vector<ChatLine>& lines) {
    std::vector<std::string> result;
    for (const ChatLine& line : lines)
        result.push_back(line.text);
    return result;
}

Client& join(Harness& h, uint32_t id, const std::string& name, bool strict = false) {
    Client& client = h.addClient(id, name);
    client.strict = strict;
    h.connect(id);
    return client;
}

// A player's line as its copy would send it, straight into the host's inbox.
void sendRaw(Harness& h, const Client& client, const std::string& bytes) {
    const networkMessage message(MSG_CHAT_SAY, bytes.data(), static_cast<int>(bytes.size()));
    h.serverInbox.push(play::received(message, client.playerID));
}

// Two players whose copies chat, joined.
class twoChatting : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(h.joinAll());
        h.step();
    }
    Harness h{1};
    Client& ann = join(h, 11, "Ann");
    Client& bob = join(h, 12, "Bob");
};

} // namespace

TEST(Chat, ExtendedCopiesTalkWhileACopyOfTheDesignAloneHearsOnlyTheDesignsMessages) {
    Harness h(1);
    Client& ann = join(h, 11, "Ann");
    Client& bob = join(h, 12, "Bob");
    Client& old = join(h, 13, "Old", true);
    ASSERT_TRUE(h.joinAll());
    h.step();
    ASSERT_TRUE(ann.collector.canChat());
    ASSERT_TRUE(bob.collector.canChat());
    EXPECT_FALSE(old.collector.canChat());

    ann.collector.say("hello all");
    h.step();
    h.hostSays("welcome");
    h.steps(2);

    const std::vector<ChatLine> heard = takeLines(bob);
    ASSERT_EQ(texts(heard), (std::vector<std::string>{"hello all", "welcome"}));
    EXPECT_STREQ(heard[0].name, "Ann");
    EXPECT_EQ(heard[0].senderID, ann.collector.getOwnIndex());
    EXPECT_STREQ(heard[1].name, CHAT_HOST_NAME);
    EXPECT_EQ(heard[1].senderID, CHAT_FROM_HOST);
    EXPECT_EQ(texts(takeLines(ann)), (std::vector<std::string>{"hello all", "welcome"}));
    std::vector<ChatLine> logged;
    h.game.takeChatLines(logged);
    EXPECT_EQ(texts(logged), (std::vector<std::string>{"hello all", "welcome"}));

    // The old copy joined and is kept up to date, and met no type it does not know.
    EXPECT_TRUE(old.collector.hasJoined());
    h.steps(50); // past a heartbeat of every element
    int updates = 0;
    for (const networkMessage& message : old.seen) {
        EXPECT_TRUE(play::isDesignServerType(message.getType())) << "type " << message.getType();
        updates += message.getType() == MSG_ELEMENT_UPDATE ? 1 : 0;
    }
    EXPECT_GT(updates, 0);
}

TEST(Chat, AnExtendedCopyJoinsAHostOfTheDesignAloneAndNeverSpeaks) {
    Harness h(1);
    h.strictHost = true;
    Client& ann = join(h, 11, "Ann");
    ASSERT_TRUE(h.joinAll());
    ann.collector.say("anyone?");
    ann.input.left = true;
    h.steps(45);
    EXPECT_FALSE(ann.collector.canChat());
    EXPECT_TRUE(h.droppedByHost.empty()); // the host was sent no type it does not know
    EXPECT_NE(h.game.getElement(ann.collector.getOwnIndex()).getRotation(),
              h.game.spawnRotation(h.playerIndex(ann))); // its turning reached the host
}

// The announcement rides in the join request only after a name that leaves it
// room, and only whole: a request of the design alone announces nothing.
TEST(Chat, TheJoinRequestAnnouncesOnlyAfterANameThatLeavesRoom) {
    const std::string longest(JOIN_ANNOUNCEMENT_MAX_NAME, 'n');
    const struct {
        networkMessage request;
        uint32_t announced;
    } rows[] = {
        {writeAnnouncingJoinRequest("Ann", OWN_CAPABILITIES), OWN_CAPABILITIES},
        {writeAnnouncingJoinRequest(longest.c_str(), OWN_CAPABILITIES), OWN_CAPABILITIES},
        {writeAnnouncingJoinRequest((longest + "n").c_str(), OWN_CAPABILITIES), 0},
        {writeJoinRequest("Ann"), 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(readJoinAnnouncement(row.request.getData(), row.request.getDataSize()), row.announced);
        EXPECT_EQ(readJoinAnnouncement(row.request.getData(), row.request.getDataSize() - 1), 0u);
    }
}

// A former row rides before the announcement when the name leaves it room too.
TEST(Chat, TheJoinRequestTellsAFormerRowOnlyWhereItFits) {
    const std::string longest(JOIN_FORMER_ROW_AT - 1, 'n');
    const struct {
        networkMessage request;
        int row;
    } rows[] = {
        {writeAnnouncingJoinRequest("Player", OWN_CAPABILITIES, 3), 3},
        {writeAnnouncingJoinRequest(longest.c_str(), OWN_CAPABILITIES, 0), 0},
        {writeAnnouncingJoinRequest((longest + "n").c_str(), OWN_CAPABILITIES, 2), -1},
        {writeAnnouncingJoinRequest("Player", OWN_CAPABILITIES | ANNOUNCE_FORMER_ROW), -1},
        {writeJoinRequest("Player"), -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(readJoinFormerRow(row.request.getData(), row.request.getDataSize()), row.row);
        EXPECT_EQ(readJoinFormerRow(row.request.getData(), row.request.getDataSize() - 1), -1);
        JoinRequest read;
        ASSERT_TRUE(readJoinRequest(row.request.getData(), row.request.getDataSize(), &read));
    }
}

TEST_F(twoChatting, ThreeLinesInFiveSecondsAndTheSenderIsToldOnceOfTheRest) {
    for (const char* text : {"1", "2", "3", "4", "5"}) {
        ann.collector.say(text);
        h.steps(2);
    }
    h.step();
    EXPECT_EQ(texts(takeLines(bob)), (std::vector<std::string>{"1", "2", "3"}));
    const std::vector<ChatLine> own = takeLines(ann);
    ASSERT_EQ(texts(own), (std::vector<std::string>{"1", "2", "3", CHAT_TOO_FAST}));
    EXPECT_EQ(own[3].senderID, CHAT_FROM_HOST);

    h.steps(static_cast<int>(CHAT_WINDOW / play::FRAME));
    ann.collector.say("6");
    h.steps(2);
    EXPECT_EQ(texts(takeLines(bob)), std::vector<std::string>{"6"});
}

TEST_F(twoChatting, TheHostRelaysOnlyCleanLinesOfAtMost120Bytes) {
    const std::string longest(CHAT_TEXT_MAX_BYTES, 'x');
    const std::string refused[] = {
        "",                       // nothing
        "   ",                    // spaces alone
        longest + "x",            // 121 bytes
        "bad \xC3",               // cut UTF-8
        "over\xC0\xAF",           // overlong form
        "ring\x07",               // control character
        std::string("nul\0x", 5), // an embedded terminator
        "\xE2\x80\xAE"
        "desrever", // a right-to-left override
    };
    for (const std::string& bytes : refused) {
        sendRaw(h, ann, bytes);
        h.steps(2);
        EXPECT_TRUE(takeLines(bob).empty()) << bytes;
    }
    sendRaw(h, ann, longest);
    h.steps(2);
    EXPECT_EQ(texts(takeLines(bob)), std::vector<std::string>{longest});
    // What a player types is cleaned and cut at a character the same way before it leaves.
    EXPECT_EQ(makeChatText("a\tb"), "a?b");
    EXPECT_EQ(makeChatText(std::string(119, 'x') + "\xC3\xA9"), std::string(119, 'x'));
    EXPECT_EQ(makeChatText("   "), "");
}

// Copies of one address that join as watchers, each say three lines and leave,
// eight at a time, put no more on the screens than the address's share.
TEST(Chat, OneAddressSpeaksItsShareHoweverManyConnectionsComeAndGo) {
    Harness h(1);
    Client& ann = join(h, 11, "Ann");
    ASSERT_TRUE(h.joinAll());
    uint32_t next = 100;
    for (int round = 0; round < 6; ++round) { // past the game's budget, within one window
        std::vector<Client*> wave;
        for (int i = 0; i < 8; ++i) {
            Client& eve = h.addClient(next, "Eve");
            eve.collector.setWatching(true);
            h.connect(next++, 0x0A000007);
            wave.push_back(&eve);
        }
        ASSERT_TRUE(h.joinAll());
        for (Client* eve : wave) {
            for (const char* text : {"buy", "cheap", "gold"})
                sendRaw(h, *eve, text);
        }
        h.step();
        for (Client* eve : wave)
            h.disconnect(*eve);
        h.steps(25);
    }
    ASSERT_LT(h.ticks * play::FRAME, CHAT_WINDOW);
    h.step();
    EXPECT_EQ(takeLines(ann).size(), static_cast<size_t>(CHAT_ADDRESS_LINES_PER_WINDOW));
}

// Every player speaks once in the same frame, each from an address of its
// own: the game relays its budget for the second and the rest are dropped.
TEST(Chat, TheWholeGameRelaysAtMostItsBudgetASecond) {
    Harness h(1);
    std::vector<Client*> players;
    for (uint32_t id = 1; id <= MAX_PLAYERS; ++id) {
        players.push_back(&h.addClient(id, "P" + std::to_string(id)));
        h.connect(id, 0x0A000000 + id);
    }
    ASSERT_TRUE(h.joinAll());
    const auto everyoneSays = [&](const char* text) {
        for (Client* player : players)
            sendRaw(h, *player, text);
        h.steps(2);
        return takeLines(*players[0]).size();
    };
    EXPECT_EQ(everyoneSays("first"), static_cast<size_t>(CHAT_GAME_LINES_PER_SECOND));
    h.steps(static_cast<int>(CHAT_GAME_WINDOW / play::FRAME) + 1);
    EXPECT_EQ(everyoneSays("second"), static_cast<size_t>(CHAT_GAME_LINES_PER_SECOND));
}

// No player or watcher takes the host's name or none: the host gives it a
// plain one, and its lines carry that.
TEST(Chat, NamesThatAreEmptyBlankOrTheHostsAreChangedAtTheHost) {
    const std::string refused[] = {"",       "   ",      CHAT_HOST_NAME,    "host",
                                   " HOST ", "\xC2\xA0", "Ho\xE2\x80\x8Bst"};
    for (const bool watching : {false, true}) {
        for (const std::string& name : refused) {
            Harness h(1);
            Client& ann = join(h, 11, "Ann");
            Client& odd = h.addClient(12, name);
            odd.collector.setWatching(watching);
            h.connect(12);
            ASSERT_TRUE(h.joinAll());
            const char* admitted = watching ? h.game.getWatcher(0).name : h.game.getPlayer(1).name;
            EXPECT_STREQ(admitted, STAND_IN_NAME) << "\"" << name << "\" watching " << watching;
            sendRaw(h, odd, "hello");
            h.steps(2);
            const std::vector<ChatLine> heard = takeLines(ann);
            ASSERT_EQ(heard.size(), 1u);
            EXPECT_STREQ(heard[0].name, STAND_IN_NAME);
        }
    }
    EXPECT_EQ(nameToAdmit("Hostess"), "Hostess");
    EXPECT_EQ(nameToAdmit("Ann"), "Ann");
}
