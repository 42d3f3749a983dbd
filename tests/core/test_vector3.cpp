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
    vector3 a(1.0f, 2.0f, 3.0f);
    const vector3 b(4.0f, 5.0f, 6.0f);
    cross(&a, &b, &a);
    EXPECT_EQ(a, vector3(-3.0f, 6.0f, -3.0f));
    vector3 c(4.0f, 5.0f, 6.0f);
    const vector3 d(1.0f, 2.0f, 3.0f);
    cross(&d, &c, &c);
    EXPECT_EQ(c, vector3(-3.0f, 6.0f, -3.0f));

    vector3 e(1.0f, 2.0f, 3.0f);
    add(&e, &e, &e);
    EXPECT_EQ(e, vector3(2.0f, 4.0f, 6.0f));
    subtract(&e, &b, &e);
    EXPECT_EQ(e, vector3(-2.0f, -1.0f, 0.0f));
    multiply(&e, &b, &e);
    EXPECT_EQ(e, vector3(-8.0f, -5.0f, 0.0f));
    scale(&e, -0.5f, &e);
    EXPECT_EQ(e, vector3(4.0f, 2.5f, -0.0f));

    float value = 0.0f;
    dot(&b, &d, &value);
    EXPECT_EQ(value, 32.0f);
    const vector3 f(3.0f, 4.0f, 12.0f);
    magnitude(&f, &value);
    EXPECT_EQ(value, 13.0f);
    magnitudeSquared(&f, &value);
    EXPECT_EQ(value, 169.0f);
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

TEST(Vector3, RandomiseUnitReachesBothEndsExactly) {
    for (int component = 0; component < 3; ++component) {
        seedRandom(seedForDraw(0x7FFF, component + 1));
        vector3 high;
        high.randomiseUnit();
        EXPECT_EQ((&high.x)[component], 1.0f) << "component " << component;

        seedRandom(seedForDraw(0x8000, component + 1));
        vector3 low;
        low.randomiseUnit();
        EXPECT_EQ((&low.x)[component], -1.0f) << "component " << component;
    }
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

TEST(Vector3, ReflectMinimumMaximumAndComponents) {
    const vector3 incident(1.0f, -1.0f, 0.0f);
    const vector3 normal(0.0f, 1.0f, 0.0f);
    vector3 out;
    reflect(&incident, &normal, &out);
    EXPECT_EQ(out, vector3(1.0f, 1.0f, 0.0f));

    vector3 a(1.0f, 5.0f, 3.0f);
    const vector3 b(2.0f, 4.0f, 3.0f);
    minimum(&a, &b, &out);
    EXPECT_EQ(out, vector3(1.0f, 4.0f, 3.0f));
    maximum(&a, &b, &a);
    EXPECT_EQ(a, vector3(2.0f, 5.0f, 3.0f));

    // Ties keep a's component: +0 and -0 compare equal but differ in sign.
    const vector3 plusZero(0.0f, 0.0f, 0.0f);
    const vector3 minusZero(-0.0f, -0.0f, -0.0f);
    minimum(&plusZero, &minusZero, &out);
    EXPECT_FALSE(std::signbit(out.x));
    maximum(&minusZero, &plusZero, &out);
    EXPECT_TRUE(std::signbit(out.z));

    const vector3 c(4.0f, -2.0f, 9.0f);
    EXPECT_EQ(smallestComponent(&c), -2.0f);
    EXPECT_EQ(largestComponent(&c), 9.0f);
    const vector3 withNan(2.0f, std::nanf(""), 1.0f);
    EXPECT_EQ(smallestComponent(&withNan), 2.0f); // no comparison holds: x is returned
    const vector3 nanLast(5.0f, 1.0f, std::nanf(""));
    EXPECT_EQ(largestComponent(&nanLast), 5.0f);
}

TEST(Vector3, SphericalRoundTripAndDegrees) {
    vector3 v(1.0f, 2.0f, 2.0f);
    v.toSpherical();
    EXPECT_EQ(v.x, 3.0f);
    EXPECT_FLOAT_EQ(v.y, std::atan(2.0f));
    EXPECT_FLOAT_EQ(v.z, std::acos(2.0f / 3.0f));
    v.toCartesian();
    EXPECT_NEAR(v.x, 1.0f, 1e-6f);
    EXPECT_NEAR(v.y, 2.0f, 1e-6f);
    EXPECT_NEAR(v.z, 2.0f, 1e-6f);

    const vector3 degrees(180.0f, 90.0f, -45.0f);
    vector3 radians;
    degreesToRadians(&degrees, &radians);
    EXPECT_EQ(radians.x, 3.1415927f);
    EXPECT_EQ(radians.y, 1.5707964f);
    EXPECT_EQ(radians.z, -0.78539819f);
}
