#include "tests/networklib/nettesthelpers.h"

#include "platform/net/netdiscovery.h"
#include "platform/net/netsettings.h"
#include "platform/net/netsocket.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int WAIT_MS = 3000;

// A stand-in host on the discovery port that answers the query for two
// sessions of its own, one after the other, so their order of arrival is
// known. Between them it sends answers that must be ignored: wrong magic and
// a foreign GUID.
void answerTwice(int fd, const netGuid& guid, uint16_t gamePort) {
    uint8_t buffer[64];
    netAddress from;
    long size = -1;
    if (waitReadable(fd, WAIT_MS))
        size = receiveDatagram(fd, buffer, sizeof(buffer), from);
    discoveryQuery query;
    if (size <= 0 || !decodeDiscoveryQuery(buffer, static_cast<size_t>(size), query) ||
        !(query.applicationGuid == guid))
        return;
    discoveryAnswer answer;
    answer.desc.applicationGuid = guid;
    answer.desc.instanceGuid.bytes[0] = 1;
    answer.desc.sessionName = "Ahead";
    answer.gamePort = gamePort;
    sendDatagram(fd, from, encodeDiscoveryAnswer(answer));
    std::vector<uint8_t> wrongMagic = encodeDiscoveryAnswer(answer);
    wrongMagic[0] = 'X';
    sendDatagram(fd, from, wrongMagic);
    discoveryAnswer foreign = answer;
    foreign.desc.applicationGuid.bytes[0] ^= 0xFF;
    foreign.desc.sessionName = "Foreign";
    sendDatagram(fd, from, encodeDiscoveryAnswer(foreign));
    answer.desc.instanceGuid.bytes[0] = 2;
    answer.desc.sessionName = "Behind";
    sendDatagram(fd, from, encodeDiscoveryAnswer(answer));
}

} // namespace

TEST(NetworkEnumeration, ListsHostsOfItsOwnGuidInTheOrderTheyAnswered) {
    const netGuid guid = testGuid();
    netGuid otherGuid = guid;
    otherGuid.bytes[15] ^= 0xFF;
    auto early = makeHost(guid, "Early");
    auto other = makeHost(otherGuid, "Other Game");
    auto client = makeClient(guid);
    const int lateFd = openDiscoveryListener(getDiscoveryPort()); // bound before the query goes out
    ASSERT_GE(lateFd, 0);
    std::thread late(answerTwice, lateFd, guid, early->getPort());
    client->enumerateHosts();
    late.join();
    closeSocket(lateFd);
    std::vector<std::string> names{"stale", "names"};
    client->getSessions(names);
    ASSERT_EQ(names.size(), 3u);
    // The real host answers whenever it hears the query; the stand-in's two
    // answers keep the order in which they came.
    const auto ahead = std::find(names.begin(), names.end(), "Ahead");
    EXPECT_NE(std::find(names.begin(), names.end(), "Early"), names.end());
    EXPECT_LT(ahead - names.begin(), std::find(names.begin(), names.end(), "Behind") - names.begin());
}

TEST(NetworkEnumeration, OneRecordPerSessionAndGetSessionsReplacesTheList) {
    auto host = makeHost(testGuid(), "Solo");
    auto client = makeClient(testGuid());
    std::vector<std::string> names{"a", "b", "c"};
    client->getSessions(names);
    EXPECT_TRUE(names.empty());
    client->enumerateHosts();
    client->enumerateHosts();
    client->getSessions(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Solo"}));
}

// Answers from a stand-in that repeats one session many times, or forges a
// new instance with every answer: the list keeps one record per instance and
// never more than its bound.
TEST(NetworkEnumeration, RepeatedAndForgedAnswersAreListedOncePerInstanceWithinTheBound) {
    const struct {
        bool distinct;
        size_t listed;
    } cases[] = {{false, 1}, {true, MAX_LISTED_SESSIONS}};
    for (const auto& c : cases) {
        const netGuid guid = testGuid();
        auto client = makeClient(guid);
        const int fd = openDiscoveryListener(getDiscoveryPort());
        ASSERT_GE(fd, 0);
        std::thread standIn([&] {
            uint8_t buffer[64];
            netAddress from;
            if (!waitReadable(fd, WAIT_MS) || receiveDatagram(fd, buffer, sizeof(buffer), from) < 0)
                return;
            discoveryAnswer answer;
            answer.desc.applicationGuid = guid;
            answer.gamePort = 1;
            for (int i = 0; i < 100; ++i) { // past the bound, within a receive buffer
                answer.desc.instanceGuid.bytes[0] = static_cast<uint8_t>(c.distinct ? i : 7);
                answer.desc.instanceGuid.bytes[1] = static_cast<uint8_t>(c.distinct ? i >> 8 : 0);
                answer.desc.sessionName = "Copy " + std::to_string(i);
                sendDatagram(fd, from, encodeDiscoveryAnswer(answer));
            }
        });
        client->enumerateHosts();
        standIn.join();
        closeSocket(fd);
        std::vector<std::string> names;
        client->getSessions(names);
        ASSERT_EQ(names.size(), c.listed);
        EXPECT_EQ(names.front(), c.distinct ? "Copy 0" : "Copy 99"); // a repeated session keeps the latest
    }
}

TEST(NetworkEnumeration, ConnectsByNameAndToTheFirstRecordForAnUnknownName) {
    const netGuid guid = testGuid();
    auto alpha = makeHost(guid, "Alpha");
    auto beta = makeHost(guid, "Beta");
    auto byName = makeClient(guid);
    byName->enumerateHosts();
    std::vector<std::string> names;
    byName->getSessions(names);
    ASSERT_EQ(names.size(), 2u);

    byName->connect("Beta");
    ASSERT_TRUE(waitUntil([&] { return byName->isConnected(); }, WAIT_MS));
    arrivals atAlpha, atBeta;
    ASSERT_TRUE(waitForEvent(*beta, atBeta, networkEventKind::playerJoined, WAIT_MS));
    drain(*alpha, atAlpha);
    EXPECT_TRUE(atAlpha.events.empty());

    auto unknown = makeClient(guid);
    unknown->enumerateHosts();
    unknown->getSessions(names);
    ASSERT_EQ(names.size(), 2u);
    unknown->connect("Nobody Hosts This");
    networkHost& first = names[0] == "Alpha" ? *alpha : *beta;
    arrivals atFirst;
    EXPECT_TRUE(waitForEvent(first, atFirst, networkEventKind::playerJoined, WAIT_MS));
}

TEST(NetworkEnumeration, A255CharacterSessionNameIsListedWhole) {
    const std::string name(255, 'N');
    auto host = makeHost(testGuid(), name);
    auto longer = makeHost(testGuid(), name + "cut");
    auto client = makeClient(testGuid());
    client->enumerateHosts();
    std::vector<std::string> names;
    client->getSessions(names);
    EXPECT_EQ(names, (std::vector<std::string>{name, name}));
}
