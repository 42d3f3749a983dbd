#include "drawing/camera.h"

#include <gtest/gtest.h>

namespace {

void expectVector(const vector3& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-6f);
    EXPECT_NEAR(actual.y, y, 1e-6f);
    EXPECT_NEAR(actual.z, z, 1e-6f);
}

float pitchAfter(float pitch) {
    camera eye;
    eye.setRotation(vector3(pitch, 0.0f, 0.0f));
    return eye.getRotation().x;
}

float yawAfter(float yaw) {
    camera eye;
    eye.setRotation(vector3(0.0f, yaw, 0.0f));
    return eye.getRotation().y;
}

} // namespace

TEST(Camera, PitchIsClampedAndYawWrappedOnce) {
    EXPECT_EQ(pitchAfter(120.0f), 90.0f);
    EXPECT_EQ(pitchAfter(-95.0f), -90.0f);
    EXPECT_EQ(pitchAfter(45.0f), 45.0f);
    EXPECT_EQ(yawAfter(-30.0f), 330.0f);
    EXPECT_EQ(yawAfter(400.0f), 40.0f);
    EXPECT_EQ(yawAfter(800.0f), 440.0f);
    EXPECT_EQ(yawAfter(360.0f), 360.0f);
    EXPECT_EQ(yawAfter(0.0f), 0.0f);
}

TEST(Camera, AxesFollowTheAngles) {
    camera eye; // axes exist from construction
    expectVector(eye.getRight(), 1.0f, 0.0f, 0.0f);
    expectVector(eye.getUp(), 0.0f, 1.0f, 0.0f);
    expectVector(eye.getForward(), 0.0f, 0.0f, 1.0f);

    eye.setRotation(vector3(0.0f, 90.0f, 0.0f));
    expectVector(eye.getForward(), -1.0f, 0.0f, 0.0f);
    expectVector(eye.getRight(), 0.0f, 0.0f, 1.0f);

    // A positive pitch turns forward downwards; rotate adds to the angles.
    camera tilted;
    tilted.rotate(vector3(30.0f, 0.0f, 0.0f));
    tilted.rotate(vector3(30.0f, 0.0f, 0.0f));
    EXPECT_EQ(tilted.getRotation().x, 60.0f);
    EXPECT_LT(tilted.getForward().y, 0.0f);
    EXPECT_TRUE(tilted.getForward().isUnit());
    EXPECT_TRUE(tilted.getUp().isUnit());
}

TEST(Camera, MoveGoesAlongTheAxes) {
    camera eye;
    eye.setPosition(vector3(1.0f, 2.0f, 3.0f));
    eye.move(vector3(1.0f, 2.0f, 3.0f));
    expectVector(eye.getPosition(), 2.0f, 4.0f, 6.0f);

    eye.setRotation(vector3(0.0f, 90.0f, 0.0f)); // right is +z, forward is -x
    eye.move(vector3(1.0f, 0.0f, 2.0f));
    expectVector(eye.getPosition(), 0.0f, 4.0f, 7.0f);
}

TEST(Camera, ViewMatrixHoldsTheAxesAndTheTranslationColumn) {
    camera eye;
    eye.setPosition(vector3(0.0f, 0.0f, -10.0f));
    const matrix view = eye.getViewMatrix();
    EXPECT_EQ(view(0, 3), 0.0f);
    EXPECT_EQ(view(1, 3), 0.0f);
    EXPECT_EQ(view(2, 3), 10.0f);
    EXPECT_EQ(view(3, 3), 1.0f);
    EXPECT_EQ(view(0, 0), 1.0f);
    EXPECT_EQ(view(1, 1), 1.0f);
    EXPECT_EQ(view(2, 2), 1.0f);

    // Yawed a quarter turn at (5, 0, 0): the rows are the axes, the column
    // their negated dot products with the position.
    camera turned;
    turned.setPosition(vector3(5.0f, 0.0f, 0.0f));
    turned.setRotation(vector3(0.0f, 90.0f, 0.0f));
    const matrix side = turned.getViewMatrix();
    EXPECT_NEAR(side(0, 2), 1.0f, 1e-6f);  // right (0, 0, 1)
    EXPECT_NEAR(side(2, 0), -1.0f, 1e-6f); // forward (-1, 0, 0)
    EXPECT_NEAR(side(0, 3), 0.0f, 1e-5f);
    EXPECT_NEAR(side(2, 3), 5.0f, 1e-5f);
    EXPECT_EQ(side(3, 0), 0.0f);
}
