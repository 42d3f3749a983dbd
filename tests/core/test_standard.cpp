#include "core/maths/standard.h"
#include "tests/core/assertioncapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(Standard, AnglesAbsolutesAndClamp) {
    EXPECT_EQ(degreesToRadians(180.0f), 3.1415927f);
    EXPECT_EQ(radiansToDegrees(3.1415927f), 180.0f);
    EXPECT_EQ(absolute(-5), 5);
    EXPECT_EQ(absolute(INT_MIN), INT_MIN); // no overflow: the value has no positive twin
    EXPECT_EQ(negativeAbsolute(5), -5);
    EXPECT_EQ(negativeAbsolute(-5), -5);
    EXPECT_EQ(negativeAbsolute(INT_MIN), INT_MIN);
    EXPECT_EQ(absolute(-2.5f), 2.5f);
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

TEST(Standard, TripleProducts) {
    const vector3 a(1.0f, 2.0f, 3.0f);
    const vector3 b(0.0f, 4.0f, 5.0f);
    const vector3 c(1.0f, 0.0f, 6.0f);
    // Expanded along the first column: 1 (24 - 0) - 0 + 1 (10 - 12) = 22.
    EXPECT_EQ(determinant3(a, b, c), 22.0f);
    EXPECT_EQ(scalarTriple(a, b, c), 22.0f);
    EXPECT_EQ(scalarTriple(b, a, c), -22.0f);
    float value = 0.0f;
    dotProduct(a, b, &value);
    EXPECT_EQ(value, 23.0f);
}

TEST(Standard, FactorialLimitsAndReports) {
    const AssertionCapture capture;
    EXPECT_EQ(factorial(0), 1);
    EXPECT_EQ(factorial(1), 1);
    EXPECT_EQ(factorial(5), 120);
    EXPECT_EQ(factorial(12), 479001600);
    EXPECT_EQ(capture.count(), 0u);

    EXPECT_EQ(factorial(-3), 1);
    ASSERT_EQ(capture.count(), 1u);
    EXPECT_TRUE(capture.holds(0, "Number must be positive", "( number >= 0 )"));
    EXPECT_NE(capture.texts()[0].find("File: \"core/maths/standard.cpp\""), std::string::npos);

    // 13! does not fit in 32 bits: callers keep n <= 12; the product wraps without undefined behaviour.
    EXPECT_EQ(factorial(13), static_cast<int>(6227020800ull % 4294967296ull));
    EXPECT_EQ(capture.count(), 1u);
}

TEST(Standard, BinomialValuesAndReportsInOrder) {
    const AssertionCapture capture;
    EXPECT_EQ(binomial(4, 2), 6.0f);
    EXPECT_EQ(binomial(12, 6), 924.0f);
    EXPECT_EQ(binomial(12, 0), 1.0f);
    EXPECT_EQ(binomial(7, 7), 1.0f);
    EXPECT_EQ(capture.count(), 0u);

    // Element 4 of row 3: reported, and the computation goes on (3! / (4! * (-1)!) = 6 / 24).
    EXPECT_EQ(binomial(3, 4), 0.25f);
    ASSERT_GE(capture.count(), 1u);
    EXPECT_TRUE(
        capture.holds(0, "Element Index must not be more than Row Index", "( elementIndex <= rowIndex )"));

    const size_t before = capture.count();
    binomial(-1, -2);
    ASSERT_GE(capture.count(), before + 2);
    EXPECT_TRUE(capture.holds(before, "Index must be valid", "( rowIndex >= 0 )"));
    EXPECT_TRUE(capture.holds(before + 1, "Index must be valid", "( elementIndex >= 0 )"));
}
