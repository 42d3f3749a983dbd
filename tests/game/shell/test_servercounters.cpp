#include "game/dedicated/servercounters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Ticks at a steady rate from start for the given seconds, each taking duration.
void tickSteadily(ZEBTickStatistics& statistics, double start, double seconds, int perSecond,
                  double duration) {
    const int ticks = static_cast<int>(seconds * perSecond);
    for (int i = 0; i < ticks; ++i)
        statistics.recordTick(start + static_cast<double>(i) / perSecond, duration);
}

TEST(tickStatistics, ratesOverTheWholeSecondsOfTheWindow) {
    struct sample {
        double start;   // first tick
        double seconds; // of steady ticking at 45 a second
        double asked;   // when the rate is read
        double rate;
    };
    const std::vector<sample> samples = {
        {100.0, 0.5, 100.6, 0.0},                               // no whole second yet
        {100.0, 1.0, 101.0, 45.0},                              // the first second, when it is all there is
        {100.5, 2.0, 102.5, 45.0},                              // the partly served first second is left out
        {100.0, 10.0, 110.0, 45.0}, {100.0, 10.0, 112.0, 27.0}, // two silent seconds in the last five
        {100.0, 10.0, 130.0, 0.0},                              // long silent
    };
    for (const sample& s : samples) {
        ZEBTickStatistics statistics;
        tickSteadily(statistics, s.start, s.seconds, 45, 0.001);
        EXPECT_DOUBLE_EQ(statistics.getTicksPerSecond(s.asked), s.rate) << s.start << " " << s.asked;
    }
}

TEST(tickStatistics, longestTickIsForgottenAfterAMinute) {
    ZEBTickStatistics statistics;
    EXPECT_EQ(statistics.getLongestTick(0.0), 0.0);
    statistics.recordTick(10.2, 0.002);
    statistics.recordTick(10.4, 0.250);
    statistics.recordTick(30.0, 0.004);
    EXPECT_DOUBLE_EQ(statistics.getLongestTick(30.0), 0.250);
    EXPECT_DOUBLE_EQ(statistics.getLongestTick(69.9), 0.250);
    EXPECT_DOUBLE_EQ(statistics.getLongestTick(70.0), 0.004);
    statistics.recordTick(90.5, 0.001); // reuses the bucket of second 30
    EXPECT_DOUBLE_EQ(statistics.getLongestTick(90.5), 0.001);
}

TEST(serverCounters, everyCounterAppearsOnceWithItsValue) {
    ZEBServerCounterValues values;
    values.playersConnected = 3;
    values.ticksPerSecond = 44.8;
    values.longestTickSeconds = 0.0125;
    values.traffic.receivedBytes = 1000;
    values.traffic.sentBytes = 2000000;
    values.traffic.receivedMessages = 30;
    values.traffic.sentMessages = 40;
    values.traffic.droppedPeers = 2;
    values.refusedJoins = 5;
    values.droppedMessages = 7;
    ZEBServerCounters counters;
    counters.publish(values);
    const std::string text = formatServerCounters(counters.read());
    const std::vector<std::string> lines = {
        "zeb_players_connected 3\n",         "zeb_ticks_per_second 44.8\n",
        "zeb_tick_longest_seconds 0.0125\n", "zeb_received_bytes_total 1000\n",
        "zeb_sent_bytes_total 2000000\n",    "zeb_received_messages_total 30\n",
        "zeb_sent_messages_total 40\n",      "zeb_peers_dropped_total 2\n",
        "zeb_refused_joins_total 5\n",       "zeb_dropped_messages_total 7\n",
    };
    for (const std::string& line : lines) {
        const size_t at = text.find("\n" + line);
        EXPECT_NE(at, std::string::npos) << line << text;
        const std::string name = line.substr(0, line.find(' '));
        EXPECT_NE(text.find("# TYPE " + name +
                            (name.size() > 6 && name.substr(name.size() - 6) == "_total" ? " counter\n"
                                                                                         : " gauge\n")),
                  std::string::npos)
            << name;
        EXPECT_EQ(text.find("\n" + line, at + 1), std::string::npos) << line;
    }
}

} // namespace
