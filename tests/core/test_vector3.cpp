#include "core/maths/vector3.h"
#include "tests/core/assertioncapture.h"
#include "tests/core/randomseed.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The value randomise must give for one draw, computed independently in double precision.
float expectedDraw(float min, float max, int draw) {
    return static_cast<float>(min + (max - min) * (draw / 32767.0));
}

} // namespace

TEST(Vector3, ArithmeticWithOutputsAliasingInputs) {
    const vector3 b(4.0f, 5.0f, 6.0f);
    const vector3 d(1.0f, 2.0f, 3.0f);
    vector3 e(1.0f, 2.0f, 3.0f);
    add(&e, &e, &e);
    EXPECT_EQ(e, vector3(2.0f, 4.0f, 6.0f));
    subtract(&e, &b, &e);
    EXPECT_EQ(e, vector3(-2.0f, -1.0f, 0.0f));
    scale(&e, -0.5f, &e);
    EXPECT_EQ(e, vector3(1.0f, 0.5f, -0.0f));

    float value = 0.0f;
    dot(&b, &d, &value);
    EXPECT_EQ(value, 32.0f);
    const vector3 f(3.0f, 4.0f, 12.0f);
    magnitude(&f, &value);
    EXPECT_EQ(value, 13.0f);
}

TEST(Vector3, InterpolateGivesItsFirstArgumentAtOne) {
    const AssertionCapture capture;
    const vector3 a(1.0f, 2.0f, 3.0f);
    const vector3 b(-7.0f, 0.5f, 9.0f);
    vector3 out;
    interpolate(&a, &b, 1.0f, &out);
    EXPECT_EQ(out, a);
    interpolate(&a, &b, 0.0f, &out);
    EXPECT_EQ(out, b);
    EXPECT_EQ(capture.count(), 0u);

    interpolate(&a, &b, 1.5f, &out);
    ASSERT_EQ(capture.count(), 1u);
    EXPECT_TRUE(capture.holds(0, "T must be between 0 and 1", "( t >= 0.0f && t <= 1.0f )"));
    EXPECT_NE(capture.texts()[0].find("File: \"core/maths/vector3.cpp\""), std::string::npos);
    EXPECT_EQ(out,
              vector3(1.0f * 1.5f + -7.0f * -0.5f, 2.0f * 1.5f + 0.5f * -0.5f, 3.0f * 1.5f + 9.0f * -0.5f));

    interpolate(&a, &b, std::nanf(""), &out);
    interpolate(&a, &b, -0.001f, &out);
    EXPECT_EQ(capture.count(), 3u);
}

TEST(Vector3, RandomiseDrawsXThenYThenZ) {
    seedRandom(2024u);
    const int first = random15();
    const int second = random15();
    const int third = random15();
    const int fourth = random15();

    seedRandom(2024u);
    vector3 v;
    v.randomise(-3.0f, 5.0f);
    EXPECT_EQ(v, vector3(expectedDraw(-3.0f, 5.0f, first), expectedDraw(-3.0f, 5.0f, second),
                         expectedDraw(-3.0f, 5.0f, third)));
    EXPECT_EQ(random15(), fourth);

    seedRandom(7u);
    v.randomise(2.0f, 2.0f);
    EXPECT_EQ(v, vector3(2.0f, 2.0f, 2.0f));
    seedRandom(7u);
    random15();
    random15();
    random15();
    const uint32_t afterThree = getRandomState();
    seedRandom(7u);
    v.randomise(2.0f, 2.0f);
    EXPECT_EQ(getRandomState(), afterThree);
}

TEST(Vector3, UnitTestBoundsAndNormalise) {
    EXPECT_TRUE(vector3(0.9995f, 0.0f, 0.0f).isUnit());
    EXPECT_TRUE(vector3(0.0f, -1.001f, 0.0f).isUnit());
    EXPECT_FALSE(vector3(0.0f, 0.0f, 1.002f).isUnit());
    EXPECT_FALSE(vector3(0.998f, 0.0f, 0.0f).isUnit());

    vector3 v(3.0f, 0.0f, 4.0f);
    v.normalise();
    EXPECT_EQ(v, vector3(0.6f, 0.0f, 0.8f));
    vector3 w(0.0f, -2.0f, 0.0f);
    normalise(&w, &w);
    EXPECT_EQ(w, vector3(0.0f, -1.0f, 0.0f));

    vector3 zero = ZERO;
    zero.normalise();
    EXPECT_TRUE(std::isnan(zero.x));
}
