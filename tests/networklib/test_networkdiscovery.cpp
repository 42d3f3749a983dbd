#include "tests/networklib/nettesthelpers.h"

#include "platform/net/netanswerlimiter.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netsettings.h"
#include "platform/net/netsocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int WAIT_MS = 3000;
using namespace std::chrono_literals;

// A UDP socket bound to another loopback address, so its queries come from a
// source of their own.
int openSocketOn(uint32_t host) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(host);
    if (fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int countAnswers(int fd) {
    int answers = 0;
    uint8_t buffer[DISCOVERY_ANSWER_MAX_SIZE + 1];
    netAddress from;
    discoveryAnswer answer;
    for (long size; (size = receiveDatagram(fd, buffer, sizeof(buffer), from)) >= 0;)
        answers += decodeDiscoveryAnswer(buffer, static_cast<size_t>(size), answer) ? 1 : 0;
    return answers;
}

} // namespace

TEST(DiscoveryLimit, EachSourceGetsAFewAnswersASecond) {
    const netAnswerLimiter::clock::time_point start;
    const struct {
        uint32_t source;
        std::chrono::milliseconds at;
        bool answered;
    } steps[] = {{1, 0ms, true},  {1, 10ms, true},   {1, 20ms, true},   {1, 30ms, true},   {1, 40ms, false},
                 {2, 50ms, true}, {1, 999ms, false}, {1, 1000ms, true}, {1, 1001ms, true}, {2, 1100ms, true}};
    netAnswerLimiter limiter(NET_DISCOVERY_ANSWERS_PER_SECOND);
    for (const auto& step : steps)
        EXPECT_EQ(limiter.allow(step.source, start + step.at), step.answered) << step.at.count();
}

// A full table forgets the source heard longest ago: a newcomer is answered.
TEST(DiscoveryLimit, AFullTableForgetsTheSourceHeardLongestAgo) {
    const netAnswerLimiter::clock::time_point start;
    netAnswerLimiter limiter(NET_DISCOVERY_ANSWERS_PER_SECOND);
    for (uint32_t source = 0; source < NET_DISCOVERY_MAX_SOURCES; ++source)
        ASSERT_TRUE(limiter.allow(source, start));
    ASSERT_TRUE(limiter.allow(0, start + 100ms)); // heard again: now the newest
    bool fresh = false;
    EXPECT_EQ(limiter.admit(0xFFFF, start + 500ms, &fresh), 1);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(limiter.getSourceCount(), NET_DISCOVERY_MAX_SOURCES);
    EXPECT_EQ(limiter.admit(0, start + 600ms, &fresh), 3); // still known
    EXPECT_FALSE(fresh);
    EXPECT_EQ(limiter.admit(1, start + 700ms, &fresh), 1); // forgotten for the newcomer
    EXPECT_TRUE(fresh);
}

// An address's budget spent by a flood of ports it keeps using: a port never
// heard is answered past it, a flood's port heard before is not; all answers
// together stay within their bytes.
TEST(DiscoveryLimit, OnlyANewPortIsAnsweredPastItsAddresssBudget) {
    const netDiscoveryAnswerGate::clock::time_point start;
    netDiscoveryAnswerGate gate;
    constexpr uint32_t ADDRESS = 0x7F000001;
    constexpr size_t ANSWER = 100;
    for (uint16_t port = 1000; port < 1000 + NET_DISCOVERY_HOST_ANSWERS_PER_SECOND; ++port)
        ASSERT_TRUE(gate.allow(ADDRESS, port, start, ANSWER));
    const struct {
        uint16_t port;
        std::chrono::milliseconds at;
        bool answered;
    } steps[] = {{1000, 100ms, false},  // budget spent, port known
                 {5000, 200ms, true},   // a new port
                 {5000, 300ms, false}}; // no longer new
    for (const auto& step : steps)
        EXPECT_EQ(gate.allow(ADDRESS, step.port, start + step.at, ANSWER), step.answered) << step.port;
    netDiscoveryAnswerGate bytesGate;
    size_t answered = 0;
    for (uint32_t address = 1; address < 2000; ++address)
        answered += bytesGate.allow(address, 1, start, ANSWER) ? 1 : 0;
    EXPECT_EQ(answered, NET_DISCOVERY_ANSWER_BYTES_PER_SECOND / ANSWER);
}

// A flood of queries from one loopback address draws a few answers, while a
// query from another address is still answered.
TEST(DiscoveryLimit, AFloodOfQueriesOnLoopbackDrawsAFewAnswers) {
    const netGuid guid = testGuid();
    auto host = makeHost(guid);
    const int flood = openDiscoveryQuerySocket();
    const int other = openSocketOn(0x7F000002); // 127.0.0.2
    ASSERT_GE(flood, 0);
    ASSERT_GE(other, 0);
    discoveryQuery query;
    query.applicationGuid = guid;
    const std::vector<uint8_t> bytes = encodeDiscoveryQuery(query);
    const netAddress target{NET_LOOPBACK_HOST, getDiscoveryPort()};
    constexpr int QUERIES = 100; // well within the listener's receive buffer
    for (int i = 0; i < QUERIES; ++i)
        sendDatagram(flood, target, bytes);
    // Many sockets of one address: each is held to its own few, the address to
    // more, past which only a port's first query is answered.
    std::vector<int> many;
    for (int s = 0; s < 16; ++s) {
        many.push_back(openSocketOn(0x7F000003)); // 127.0.0.3
        ASSERT_GE(many.back(), 0);
        for (int i = 0; i < NET_DISCOVERY_ANSWERS_PER_SECOND; ++i)
            sendDatagram(many.back(), target, bytes);
    }
    // The host handles its socket in order: once the other source's answer is
    // back, every query of the flood has been seen.
    sendDatagram(other, target, bytes);
    int otherAnswers = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            otherAnswers += countAnswers(other);
            return otherAnswers > 0;
        },
        WAIT_MS));
    const int answers = countAnswers(flood);
    EXPECT_GE(answers, NET_DISCOVERY_ANSWERS_PER_SECOND);
    EXPECT_LE(answers, 2 * NET_DISCOVERY_ANSWERS_PER_SECOND); // the flood may straddle a second
    int manyAnswers = 0;
    for (const int fd : many) {
        manyAnswers += countAnswers(fd);
        close(fd);
    }
    EXPECT_GE(manyAnswers, NET_DISCOVERY_HOST_ANSWERS_PER_SECOND);
    EXPECT_LE(manyAnswers, 2 * NET_DISCOVERY_HOST_ANSWERS_PER_SECOND + 16); // and each port's first
    closeSocket(flood);
    close(other);
}
