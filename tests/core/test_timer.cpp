#include "core/timer.h"
#include "platform/system/clock.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace win;

namespace {

uint32_t g_now = 0;
int g_reads = 0;

uint32_t fakeClock() {
    ++g_reads;
    return g_now;
}

class TimerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_now = 0;
        g_reads = 0;
        m_previous = setTimerClock(&fakeClock);
    }
    void TearDown() override { setTimerClock(m_previous); }

    millisecondClock m_previous = nullptr;
};

} // namespace

TEST_F(TimerTest, ConstructionReadsNoClockAndZeroesEverything) {
    g_now = 2500;
    const timer t;
    EXPECT_EQ(g_reads, 0);
    EXPECT_EQ(t.getElapsed(), 0.0);
    // Never started: measured from clock value 0.
    EXPECT_DOUBLE_EQ(t.getElapsedNow(), 2.5);
    EXPECT_EQ(g_reads, 1);
}

TEST_F(TimerTest, IntervalAcrossTheClockWrapIsOneSecond) {
    timer t;
    g_now = 4294967000u;
    t.start();
    g_now = 704u;
    EXPECT_DOUBLE_EQ(t.getElapsedNow(), 1.0);
    EXPECT_DOUBLE_EQ(t.stop(), 1.0);
    EXPECT_DOUBLE_EQ(t.getElapsed(), 1.0);
}

TEST_F(TimerTest, StopTwiceMeasuresFromTheSameStartAndReadsTheClockOncePerCall) {
    timer t;
    g_now = 1000;
    t.start();
    g_now = 1250;
    EXPECT_DOUBLE_EQ(t.stop(), 0.25);
    g_now = 3000;
    const int readsBefore = g_reads;
    EXPECT_DOUBLE_EQ(t.stop(), 2.0);
    EXPECT_EQ(g_reads, readsBefore + 1);
    // getElapsedNow changes nothing.
    g_now = 4000;
    EXPECT_DOUBLE_EQ(t.getElapsedNow(), 3.0);
    EXPECT_DOUBLE_EQ(t.getElapsed(), 2.0);
}

TEST(Clock, ReplacingAndRestoringTheSource) {
    const ClockSource original = setClockSource(&fakeClock);
    g_now = 77;
    EXPECT_EQ(timeGetTime(), 77u);
    // nullptr restores the real clock, which works without any SDL initialisation.
    EXPECT_EQ(setClockSource(nullptr), &fakeClock);
    g_now = 0xFFFFFFFFu;
    EXPECT_NE(timeGetTime(), 0xFFFFFFFFu);
    const ClockSource real = setClockSource(original);
    EXPECT_NE(real, &fakeClock);
    EXPECT_NE(real, nullptr);
}

// The clock seeds the random source: it counts from boot, not from the start of
// the process, so two runs never start from the same value.
TEST(Clock, CountsFromBoot) {
    std::ifstream uptime("/proc/uptime");
    double seconds = 0.0;
    ASSERT_TRUE(uptime >> seconds);
    const uint32_t expected = static_cast<uint32_t>(static_cast<uint64_t>(seconds * 1000.0));
    const uint32_t now = timeGetTime();
    EXPECT_LT(static_cast<uint32_t>(now - expected), 2000u) << now << " vs " << expected;
}
