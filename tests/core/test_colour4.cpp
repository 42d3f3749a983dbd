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
}
