#include "platform/net/netwake.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int WAIT_MS = 10000; // bounds a lost wake-up only

bool isReadable(const netWake& wake) {
    return waitReadable(wake.socket(), 0);
}

} // namespace

// A clear with nothing signalled does not read: a byte written behind the
// wake-up's back is still there afterwards, and a signal's is not.
TEST(NetWake, ClearReadsOnlyWhatWasSignalled) {
    netWake wake;
    ASSERT_TRUE(wake.isValid());
    const uint64_t one = 1;
    ASSERT_EQ(write(wake.socket(), &one, sizeof(one)), static_cast<ssize_t>(sizeof(one)));
    wake.clear();
    EXPECT_TRUE(isReadable(wake));
    wake.signal();
    wake.signal();
    wake.clear();
    EXPECT_FALSE(isReadable(wake));
}

// Signals from several threads while a waiter sleeps on the socket and
// clears: none is slept through, and the waiter wakes no more often than
// there were signals (a readable socket left unread would make it spin).
TEST(NetWake, SignalsFromManyThreadsAreNeitherLostNorLeftReadable) {
    constexpr int THREADS = 4;
    constexpr int SIGNALS_EACH = 2000;
    constexpr int TOTAL = THREADS * SIGNALS_EACH;
    netWake wake;
    ASSERT_TRUE(wake.isValid());
    std::atomic<int> posted{0};
    std::vector<std::thread> signallers;
    for (int t = 0; t < THREADS; ++t)
        signallers.emplace_back([&] {
            for (int i = 0; i < SIGNALS_EACH; ++i) {
                posted.fetch_add(1);
                wake.signal();
            }
        });
    int wakes = 0;
    int timeouts = 0;
    int seen = 0;
    while (seen < TOTAL && timeouts == 0) {
        netWaitEntry entry{wake.socket()};
        waitAnyReadable(&entry, 1, WAIT_MS);
        timeouts += entry.readable ? 0 : 1;
        wakes += entry.readable ? 1 : 0;
        wake.clear();
        seen = posted.load();
    }
    for (std::thread& signaller : signallers)
        signaller.join();
    wake.clear();
    EXPECT_EQ(timeouts, 0);
    EXPECT_LE(wakes, TOTAL);
    EXPECT_FALSE(isReadable(wake));
}
