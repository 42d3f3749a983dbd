#include "core/maths/standard.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Standard, AnglesAndClamp) {
    EXPECT_EQ(degreesToRadians(180.0f), 3.1415927f);
    EXPECT_EQ(clamp(0.0f, 1.0f, 1.5f), 1.0f);
    EXPECT_EQ(clamp(0.0f, 1.0f, -2.0f), 0.0f);
    EXPECT_EQ(clamp(0.0f, 1.0f, 0.25f), 0.25f);
}

TEST(Standard, SmallestAndLargestOfThree) {
    EXPECT_EQ(smallestOf(2.0f, 2.0f, 1.0f), 1.0f);
    EXPECT_EQ(smallestOf(1.0f, 1.0f, 1.0f), 1.0f);
    EXPECT_EQ(smallestOf(3.0f, -1.0f, 2.0f), -1.0f);
    EXPECT_EQ(largestOf(2.0f, 2.0f, 1.0f), 2.0f);
    EXPECT_EQ(largestOf(0.0f, -1.0f, 7.0f), 7.0f);
    EXPECT_EQ(smallestOf(2.0f, std::nanf(""), 1.0f), 2.0f);                 // nothing holds: a
    EXPECT_TRUE(std::isnan(largestOf(std::nanf(""), 1.0f, std::nanf("")))); // nothing holds: a
}
