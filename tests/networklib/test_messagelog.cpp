#include "nettesthelpers.h"

#include "networklib/messagelog.h"
#include "platform/system/clock.h"

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

std::atomic<uint32_t> g_now{0};
uint32_t testClock() {
    return g_now;
}

std::vector<std::string> logLines() {
    std::ifstream file(MESSAGE_LOG_FILE_NAME);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line))
        lines.push_back(line);
    return lines;
}

} // namespace

// One log per process: the host's rows and its own client's rows share the
// file, under one header.
TEST(MessageLog, AJoinAndATwelveBytePayloadMakeTwoRowsAfterTheHeader) {
    const ClockSource previous = setClockSource(&testClock);
    g_now = 1000;
    {
        auto host = makeHost(testGuid());
        auto client = makeClient(testGuid());
        g_now = 3500;
        ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
        std::vector<networkMessage> got;
        ASSERT_TRUE(waitForType(*host, got, NETWORK_PLAYER_CREATED, 3000));
        const uint8_t payload[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        messageQueue out;
        out.push(networkMessage(5, payload, sizeof(payload)));
        client->sendMessages(out);
        ASSERT_TRUE(waitForType(*host, got, 5, 3000));
        EXPECT_EQ(logLines(),
                  (std::vector<std::string>{"Time,Message Type,Data Size", "2.500000,1,4", "2.500000,5,12"}));

        g_now = 4000;
        host->setLogging(false); // its next arrivals are not logged
        out.push(networkMessage(9, payload, 5));
        host->sendMessages(out);
        client->sendMessages(out);
        out.push(networkMessage(9, payload, 5));
        client->sendMessages(out);
        ASSERT_TRUE(waitForType(*client, got, 9, 3000));
        ASSERT_TRUE(waitUntil([&] { return logLines().size() == 4; }, 3000));
        EXPECT_EQ(logLines().back(), "3.000000,9,5");
    }
    setClockSource(previous);
}
