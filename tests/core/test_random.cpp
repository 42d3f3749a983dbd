#include "tests/core/randomseed.h"

#include <gtest/gtest.h>

TEST(Random, FirstValuesOfKnownSeeds) {
    // Seed 1: x1 = 214013 + 2531011 = 2745024, 2745024 >> 16 = 41; the next states by the same rule.
    seedRandom(1u);
    EXPECT_EQ(random15(), 41);
    EXPECT_EQ(getRandomState(), 2745024u);
    EXPECT_EQ(random15(), 18467);
    EXPECT_EQ(random15(), 6334);
    EXPECT_EQ(random15(), 26500);

    // Seed 0: x1 = 2531011, >> 16 = 38; x2 = 2531011 * 214014 mod 2^32 = 505908858, >> 16 = 7719.
    seedRandom(0u);
    EXPECT_EQ(random15(), 38);
    EXPECT_EQ(random15(), 7719);
    EXPECT_EQ(getRandomState(), 505908858u);
}

TEST(Random, HighBitOfTheStateIsMaskedAndBothEndsAreReached) {
    seedRandom(seedForDraw(0x7FFF, 1));
    EXPECT_EQ(random15(), RANDOM_MAX);
    seedRandom(seedForDraw(0xFFFF, 1)); // state 0xFFFF0000: bit 15 of the shifted value is masked off
    EXPECT_EQ(random15(), RANDOM_MAX);
    seedRandom(seedForDraw(0x8000, 1));
    EXPECT_EQ(random15(), 0);
}

TEST(Random, ReseedingReplaysAndValuesStayInRange) {
    seedRandom(12345u);
    int first[64];
    for (int& value : first) {
        value = random15();
        EXPECT_GE(value, 0);
        EXPECT_LE(value, RANDOM_MAX);
    }
    seedRandom(12345u);
    for (int value : first)
        EXPECT_EQ(random15(), value);
}
