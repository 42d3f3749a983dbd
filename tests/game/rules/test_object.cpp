#include "game/rules/zebobject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

matrix translated(float x, float y, float z = 0.0f) {
    matrix m = IDENTITY;
    m(3, 0) = x;
    m(3, 1) = y;
    m(3, 2) = z;
    return m;
}

ZEBObject shape(const std::vector<vector3>& vertices, ZEBObjectType type = TYPE_ASTEROID) {
    ZEBObject object;
    const int count = static_cast<int>(vertices.size());
    EXPECT_TRUE(object.create(type, vertices.data(), count));
    return object;
}

ZEBObject point(float x, float y) {
    return shape({vector3(x, y, 0.0f)}, TYPE_BULLET);
}

// A unit square about the origin, listed open: its fourth edge closes it.
ZEBObject square() {
    return shape({vector3(-1, -1, 0), vector3(1, -1, 0), vector3(1, 1, 0), vector3(-1, 1, 0)});
}

} // namespace

TEST(Object, CreateKeepsAnOpenList) {
    const std::vector<vector3> vertices = {vector3(0, 0, 0), vector3(1, 0, 0), vector3(1, 1, 0),
                                           vector3(0, 1, 0)};
    ZEBObject object = shape(vertices, TYPE_PLAYER);
    EXPECT_EQ(object.getType(), TYPE_PLAYER);
    ASSERT_EQ(object.getNumVertices(), 4);
    EXPECT_EQ(object.getVertices()[3], vertices[3]);

    ZEBObject empty;
    const int none = 0;
    EXPECT_FALSE(empty.create(TYPE_ASTEROID, vertices.data(), none));
    EXPECT_EQ(empty.getNumVertices(), 0);
    const int four = 4;
    EXPECT_FALSE(empty.create(TYPE_ASTEROID, nullptr, four));
}

TEST(Object, SweptPointCrossesTheEdgeItself) {
    // Edge from (0, -1) to (0, 1), point (1, 0) moving by (-2, 0): it crosses.
    ZEBObject edge = shape({vector3(0, -1, 0), vector3(0, 1, 0)});
    ZEBObject p = point(1.0f, 0.0f);
    EXPECT_TRUE(p.testCollision(IDENTITY, vector3(-2, 0, 0), edge, IDENTITY));
    // The same sweep misses the edge from (0, 1) to (0, 3), which lies beyond it.
    ZEBObject beyond = shape({vector3(0, 1, 0), vector3(0, 3, 0)});
    EXPECT_FALSE(p.testCollision(IDENTITY, vector3(-2, 0, 0), beyond, IDENTITY));
    // A sweep that stops short, and one that points away, do not count.
    EXPECT_FALSE(p.testCollision(IDENTITY, vector3(-0.5f, 0, 0), edge, IDENTITY));
    EXPECT_FALSE(p.testCollision(IDENTITY, vector3(2, 0, 0), edge, IDENTITY));
    // Bounds are inclusive: ending exactly on the edge counts.
    EXPECT_TRUE(p.testCollision(IDENTITY, vector3(-1, 0, 0), edge, IDENTITY));
}

TEST(Object, ClosingEdgeTakesPart) {
    ZEBObject box = square();
    // Crossing only the closing edge, from (-1, 1) back to (-1, -1).
    ZEBObject p = point(-2.0f, 0.0f);
    EXPECT_TRUE(p.testCollision(IDENTITY, vector3(2, 0, 0), box, IDENTITY));
    // A single vertex forms no edge.
    ZEBObject lone = point(0.0f, 0.0f);
    EXPECT_FALSE(p.testCollision(IDENTITY, vector3(2, 0, 0), lone, IDENTITY));
}

TEST(Object, DegenerateSweepsNeedARealOverlap) {
    ZEBObject edge = shape({vector3(0, -1, 0), vector3(0, 1, 0)});
    // Without movement a vertex counts only when it lies on the edge itself,
    // not anywhere on the edge's line.
    ZEBObject onLine = point(0.0f, 5.0f);
    EXPECT_FALSE(onLine.testCollision(IDENTITY, ZERO, edge, IDENTITY));
    ZEBObject onEdge = point(0.0f, 0.5f);
    EXPECT_TRUE(onEdge.testCollision(IDENTITY, ZERO, edge, IDENTITY));
    ZEBObject offEdge = point(0.25f, 0.5f);
    EXPECT_FALSE(offEdge.testCollision(IDENTITY, ZERO, edge, IDENTITY));
    // Moving along the edge's line: counts only when the sweep reaches the edge.
    EXPECT_TRUE(onLine.testCollision(IDENTITY, vector3(0, -5, 0), edge, IDENTITY));
    EXPECT_FALSE(onLine.testCollision(IDENTITY, vector3(0, -3.5f, 0), edge, IDENTITY));
    EXPECT_FALSE(onLine.testCollision(IDENTITY, vector3(0, 3, 0), edge, IDENTITY));
    // Parallel beside the edge never counts.
    ZEBObject aside = point(0.5f, 5.0f);
    EXPECT_FALSE(aside.testCollision(IDENTITY, vector3(0, -10, 0), edge, IDENTITY));
    // A repeated vertex makes an edge of no length: a point that the sweep passes.
    ZEBObject dot = shape({vector3(2, 0, 0), vector3(2, 0, 0)});
    ZEBObject mover = point(0.0f, 0.0f);
    EXPECT_TRUE(mover.testCollision(IDENTITY, vector3(3, 0, 0), dot, IDENTITY));
    EXPECT_FALSE(mover.testCollision(IDENTITY, vector3(1, 0, 0), dot, IDENTITY));
}

TEST(Object, WorldMatricesPlaceBothShapesAndZIsIgnored) {
    ZEBObject box = square();
    ZEBObject p = point(0.0f, 0.0f);
    // The point sits at (8, 0, 5); the square is centred on (10, 0, -3): the
    // sweep of 1.5 to the right reaches its left edge at x = 9.
    EXPECT_TRUE(p.testCollision(translated(8, 0, 5), vector3(1.5f, 0, 0), box, translated(10, 0, -3)));
    EXPECT_FALSE(p.testCollision(translated(8, 0, 5), vector3(0.5f, 0, 0), box, translated(10, 0, -3)));
    // Scaled by 3, the square's left edge is at x = 7.
    matrix scaled = translated(10, 0);
    scaled(0, 0) = 3.0f;
    scaled(1, 1) = 3.0f;
    EXPECT_TRUE(p.testCollision(translated(6, 0), vector3(1.5f, 0, 0), box, scaled));
}

TEST(Object, ShipSweptIntoAnAsteroidEdge) {
    // A ship pointing along +x, drawn at 0.4, and an asteroid outline at 2.5.
    ZEBObject ship =
        shape({vector3(1.5f, 0, 0), vector3(-1, 0.9f, 0), vector3(-0.5f, 0, 0), vector3(-1, -0.9f, 0)},
              TYPE_PLAYER);
    std::vector<vector3> ring;
    for (int i = 0; i < 10; ++i) {
        const float angle = 6.2831853f * i / 10.0f;
        ring.emplace_back(std::cos(angle), std::sin(angle), 0.0f);
    }
    ZEBObject asteroid = shape(ring);
    matrix shipWorld = IDENTITY;
    shipWorld(0, 0) = 0.4f;
    shipWorld(1, 1) = 0.4f;
    shipWorld(3, 0) = -3.2f; // nose at x = -2.6, the asteroid's rim near x = -2.5
    matrix rockWorld = IDENTITY;
    rockWorld(0, 0) = 2.5f;
    rockWorld(1, 1) = 2.5f;
    EXPECT_FALSE(ship.testCollision(shipWorld, vector3(0.05f, 0, 0), asteroid, rockWorld));
    EXPECT_TRUE(ship.testCollision(shipWorld, vector3(0.2f, 0, 0), asteroid, rockWorld));
    // Moving away it never hits.
    EXPECT_FALSE(ship.testCollision(shipWorld, vector3(-0.5f, 0, 0), asteroid, rockWorld));
    // A shape tested against itself keeps its own vertices intact.
    matrix neighbour = rockWorld;
    neighbour(3, 0) = 5.05f;
    neighbour(3, 1) = 0.3f;
    EXPECT_FALSE(asteroid.testCollision(rockWorld, vector3(0.01f, 0, 0), asteroid, neighbour));
    EXPECT_TRUE(asteroid.testCollision(rockWorld, vector3(0.3f, 0, 0), asteroid, neighbour));
    EXPECT_EQ(asteroid.getVertices()[0], ring[0]);
}
