#include "game/windowed/draw/zebshapeoutlines.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ShapeOutlines, EachShapeGetsItsClosedOutlineByIndex) {
    const vector3 corners[4] = {vector3(0, 0, 0), vector3(1, 0, 0), vector3(1, 1, 0), vector3(0, 1, 0)};
    std::vector<ZEBObject> shapes(3);
    ASSERT_TRUE(shapes[0].create(TYPE_PLAYER, corners, 4));
    ASSERT_TRUE(shapes[2].create(TYPE_BULLET, corners + 1, 2)); // shapes[1] stays empty
    const ZEBShapeOutlines outlines(shapes);
    ASSERT_EQ(outlines.getCount(), 3);

    const vertexBuffer* ship = outlines.getOutline(0);
    ASSERT_NE(ship, nullptr);
    ASSERT_EQ(ship->getCount(), 5);
    EXPECT_EQ(ship->getVertices()[3], corners[3]);
    EXPECT_EQ(ship->getVertices()[4], corners[0]);
    EXPECT_EQ(outlines.getOutline(1)->getCount(), 0);
    ASSERT_EQ(outlines.getOutline(2)->getCount(), 3);
    EXPECT_EQ(outlines.getOutline(2)->getVertices()[2], corners[1]);
    EXPECT_EQ(outlines.getOutline(-1), nullptr);
    EXPECT_EQ(outlines.getOutline(3), nullptr);
}
