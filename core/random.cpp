#include "core/random.h"

#include <atomic>

namespace {

constexpr uint32_t RANDOM_MULTIPLIER = 214013u;
constexpr uint32_t RANDOM_INCREMENT = 2531011u;

// Unseeded programs draw the same sequence as a program seeded with 1.
std::atomic<uint32_t> g_randomState{1u};

} // namespace

void seedRandom(uint32_t seed) {
    g_randomState.store(seed, std::memory_order_relaxed);
}

int random15() {
    // A compare-and-swap step keeps concurrent draws from tearing the state.
    uint32_t state = g_randomState.load(std::memory_order_relaxed);
    uint32_t next = 0;
    do {
        next = state * RANDOM_MULTIPLIER + RANDOM_INCREMENT;
    } while (!g_randomState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFFu);
}

uint32_t getRandomState() {
    return g_randomState.load(std::memory_order_relaxed);
}
