#include "core/maths/colour4.h"
#include "core/maths/standard.h"
#include "core/maths/vector3.h"
#include "tests/core/assertioncapture.h"
#include "tests/core/randomseed.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Colour4, RandomiseDrawsRedGreenBlueAndSetsAlphaToOne) {
    seedRandom(99u);
    const int red = random15();
    const int green = random15();
    const int blue = random15();
    const int next = random15();

    seedRandom(99u);
    colour4 c(0.1f, 0.2f, 0.3f, 0.25f);
    c.randomise(0.5f, 0.9f);
    const float span = 0.9f - 0.5f;
    EXPECT_EQ(c, colour4(static_cast<float>(0.5f + span * (red / 32767.0)),
                         static_cast<float>(0.5f + span * (green / 32767.0)),
                         static_cast<float>(0.5f + span * (blue / 32767.0)), 1.0f));
    EXPECT_EQ(random15(), next);

    seedRandom(5u);
    c.randomise(0.5f, 0.5f);
    EXPECT_EQ(c, colour4(0.5f, 0.5f, 0.5f, 1.0f));
    const uint32_t afterRandomise = getRandomState();
    seedRandom(5u);
    random15();
    random15();
    random15();
    EXPECT_EQ(getRandomState(), afterRandomise);

    seedRandom(seedForDraw(0x7FFF, 3));
    c.randomiseUnit();
    EXPECT_EQ(c.b, 1.0f);
    EXPECT_EQ(c.a, 1.0f);
}

TEST(Colour4, InterpolationConventionsAreOpposite) {
    const colour4 a(1.0f, 0.0f, 0.5f, 1.0f);
    const colour4 b(0.0f, 1.0f, 0.25f, 0.0f);
    colour4 out;
    interpolate(&a, &b, 0.0f, &out);
    EXPECT_EQ(out, a);
    interpolate(&a, &b, 1.0f, &out);
    EXPECT_EQ(out, b);
    EXPECT_EQ(interpolate(2.0f, 6.0f, 0.0f), 2.0f);
    EXPECT_EQ(interpolate(2.0f, 6.0f, 0.25f), 3.0f);

    // vector3 weighs its first argument by t instead.
    const vector3 u(2.0f, 0.0f, 0.0f);
    const vector3 v(6.0f, 0.0f, 0.0f);
    vector3 w;
    interpolate(&u, &v, 0.25f, &w);
    EXPECT_EQ(w.x, 5.0f);
}

TEST(Colour4, ArrayFunctions) {
    colour4 colours[] = {colour4(-0.5f, 0.5f, 1.5f, 1.0f), colour4(0.2f, 2.0f, -1.0f, 0.5f)};
    const int count = 2;
    colour4 low;
    colour4 high;
    minimumColour(colours, count, &low);
    maximumColour(colours, count, &high);
    EXPECT_EQ(low, colour4(-0.5f, 0.5f, -1.0f, 0.5f));
    EXPECT_EQ(high, colour4(0.2f, 2.0f, 1.5f, 1.0f));

    clampColours(0.0f, 1.0f, colours, count);
    EXPECT_EQ(colours[0], colour4(0.0f, 0.5f, 1.0f, 1.0f));
    EXPECT_EQ(colours[1], colour4(0.2f, 1.0f, 0.0f, 0.5f));

    colour4 values[] = {colour4(0.5f, 3.0f, 1.0f, 0.75f)};
    const colour4 from(0.0f, 1.0f, 1.0f, 0.5f);
    const colour4 to(1.0f, 5.0f, 1.0f, 1.0f);
    normaliseColours(&from, &to, values, 1);
    EXPECT_EQ(values[0].r, 0.5f);
    EXPECT_EQ(values[0].g, 0.5f);
    EXPECT_FALSE(std::isfinite(values[0].b)); // a range of 0 is not checked
    EXPECT_EQ(values[0].a, 0.5f);
}

TEST(Colour4, NegativeCountIsReportedAndProcessesNothing) {
    const AssertionCapture capture;
    colour4 colours[] = {colour4(-1.0f, 2.0f, 0.5f, 1.0f)};
    const int negative = -1;
    clampColours(0.0f, 1.0f, colours, negative);
    EXPECT_EQ(colours[0], colour4(-1.0f, 2.0f, 0.5f, 1.0f));
    normaliseColours(&WHITE, &WHITE, colours, negative);
    EXPECT_EQ(colours[0], colour4(-1.0f, 2.0f, 0.5f, 1.0f));
    colour4 out;
    minimumColour(colours, negative, &out);
    EXPECT_EQ(out, colours[0]);
    ASSERT_EQ(capture.count(), 3u);
    for (size_t i = 0; i < capture.count(); ++i)
        EXPECT_TRUE(capture.holds(i, "Number of colours must be positive", "( numberOfColours >= 0 )"));
    EXPECT_NE(capture.texts()[0].find("File: \"core/maths/colour4.cpp\""), std::string::npos);
}

TEST(Colour4, MembersOperateOnAllFourComponents) {
    colour4 c(0.25f, 0.5f, 0.75f, 1.0f);
    EXPECT_EQ(c.intensity(), 0.5f);
    c *= 2.0f;
    EXPECT_EQ(c, colour4(0.5f, 1.0f, 1.5f, 2.0f));
    c -= WHITE;
    EXPECT_EQ(c, colour4(-0.5f, 0.0f, 0.5f, 1.0f));
    c += colour4(0.5f, 0.5f, 0.5f, 0.5f);
    c *= colour4(2.0f, 2.0f, 2.0f, 0.5f);
    EXPECT_EQ(c, colour4(0.0f, 1.0f, 2.0f, 0.75f));
    EXPECT_NE(c, WHITE);
}
