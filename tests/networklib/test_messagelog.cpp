#include "tests/networklib/nettesthelpers.h"

#include "core/timer.h"
#include "networklib/messagelog.h"

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
    messageLog::keepMessageLog(MESSAGE_LOG_FILE_NAME); // as the program's --log does
    const millisecondClock previous = setTimerClock(&testClock);
    g_now = 1000;
    {
        auto host = makeHost(testGuid());
        auto client = makeClient(testGuid());
        g_now = 3500;
        ASSERT_TRUE(client->connectTo(loopbackAddress(*host)));
        arrivals got;
        ASSERT_TRUE(waitForEvent(*host, got, networkEventKind::playerJoined, 3000));
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
    setTimerClock(previous);
}

// The log stops at its limit with one row that says so, whatever the row
// sizes; nothing is written after it and the file never passes the limit.
TEST(MessageLog, StopsAtItsSizeLimitWithOneLastRowThatSaysSo) {
    const struct {
        long limit;
        int type;
        int size;
    } cases[] = {{300, 9, 5}, {1000, 2147483647, -2147483647 - 1}, {4096, 12, 24}};
    for (const auto& c : cases) {
        const std::string name = "limited_" + std::to_string(c.limit) + ".csv";
        {
            messageLog log(name.c_str(), c.limit);
            ASSERT_TRUE(log.isOpen());
            int rows = 0;
            while (!log.isFull() && rows < 10000) {
                log.write(rows * 0.5, c.type, c.size);
                ++rows;
            }
            ASSERT_TRUE(log.isFull());
            for (int extra = 0; extra < 10; ++extra)
                log.write(1.0, c.type, c.size);
        }
        std::ifstream file(name, std::ios::binary | std::ios::ate);
        EXPECT_LE(static_cast<long>(file.tellg()), c.limit);
        file.seekg(0);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines.front(), "Time,Message Type,Data Size");
        const std::string ordinary = "," + std::to_string(c.type) + "," + std::to_string(c.size);
        for (size_t i = 1; i + 1 < lines.size(); ++i)
            EXPECT_NE(lines[i].find(ordinary), std::string::npos) << lines[i];
        const std::string last = lines.back();
        EXPECT_EQ(last.substr(last.find(',')), ",Log Full," + std::to_string(c.limit)) << c.limit;
    }
}
