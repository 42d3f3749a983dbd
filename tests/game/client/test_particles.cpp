#include "tests/platform/render/renderharness.h"

#include "core/random.h"
#include "game/rules/zebobject.h"
#include "game/windowed/draw/zebobjectparticlesystem.h"

namespace {

constexpr uint32_t SEED = 12345;
constexpr int DRAWS_PER_EDGE = 9;

ZEBObject makeShape(const std::vector<vector3>& vertices) {
    ZEBObject shape;
    const ZEBObjectType type = TYPE_PLAYER;
    const int count = static_cast<int>(vertices.size());
    EXPECT_TRUE(shape.create(type, vertices.data(), count));
    return shape;
}

const std::vector<vector3> SQUARE = {
    {-1.0f, -1.0f, 0.0f}, {1.0f, -1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {-1.0f, 1.0f, 0.0f}};

// World position of end (0 or 1) of a particle at creation.
vector3 endOf(const ZEBParticleLine& line, int end) {
    const vector3& relative = line.getVertexBuffer().getVertices()[end];
    const vector3& middle = line.getPosition();
    return vector3(middle.x + relative.x, middle.y + relative.y, middle.z + relative.z);
}

void expectNear(const vector3& a, const vector3& b, float tolerance = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

ZEBObjectParticleSystem explode(const ZEBObject& shape, float duration) {
    return ZEBObjectParticleSystem(duration, shape, ZERO, 0.0f, 1.0f, colour4(0.0f, 1.0f, 0.0f, 1.0f));
}

} // namespace

TEST(ParticleSystem, FourVerticesGiveSixteenLinesCutFromEveryEdge) {
    const ZEBObject square = makeShape(SQUARE);
    seedRandom(SEED);
    const ZEBObjectParticleSystem system = explode(square, 1.0f);
    ASSERT_EQ(system.getParticleCount(), 16);

    // Nine draws per edge, two rings of four edges.
    seedRandom(SEED);
    for (int i = 0; i < 2 * 4 * DRAWS_PER_EDGE; ++i)
        random15();
    EXPECT_EQ(getRandomState(), [&] {
        seedRandom(SEED);
        (void)explode(square, 1.0f);
        return getRandomState();
    }());

    for (int ring = 0; ring < 2; ++ring) {
        const float size = ring == 0 ? 1.0f : EXPLOSION_INNER_SCALE;
        const float speed = ring == 0 ? 2.5f : 5.0f;
        int previous = 3; // the closing edge comes first
        for (int k = 0; k < 4; ++k) {
            const ZEBParticleLine& first = system.getParticle(ring * 8 + 2 * k);
            const ZEBParticleLine& second = system.getParticle(ring * 8 + 2 * k + 1);
            const vector3 from(SQUARE[previous].x * size, SQUARE[previous].y * size, 0.0f);
            const vector3 to(SQUARE[k].x * size, SQUARE[k].y * size, 0.0f);
            expectNear(endOf(first, 0), from);
            expectNear(endOf(second, 1), to);
            // The halves meet at the cut, which lies 12.5 % to 87.5 % along the edge.
            expectNear(endOf(first, 1), endOf(second, 0));
            const float edge = std::hypot(to.x - from.x, to.y - from.y);
            const vector3 cut = endOf(first, 1);
            const float along = std::hypot(cut.x - from.x, cut.y - from.y) / edge;
            EXPECT_GE(along, 0.125f - 1e-5f);
            EXPECT_LE(along, 0.875f + 1e-5f);
            for (const ZEBParticleLine* line : {&first, &second}) {
                EXPECT_EQ(line->getRotation(), 0.0f);
                EXPECT_GE(line->getRotationSpeed(), 0.0f);
                EXPECT_LE(line->getRotationSpeed(), 180.0f);
                for (float v : {line->getVelocity().x, line->getVelocity().y, line->getVelocity().z}) {
                    EXPECT_GE(v, -speed);
                    EXPECT_LE(v, speed);
                }
            }
            previous = k;
        }
    }
}

TEST(ParticleSystem, PlacementFollowsScaleRotationAndPosition) {
    const ZEBObject square = makeShape(SQUARE);
    seedRandom(SEED);
    // Scale 2, a quarter turn, at (5, -3): vertex 3 (-1, 1) goes to (-2, 2), turned to (-2, -2), moved to (3,
    // -5).
    const ZEBObjectParticleSystem system(0.3f, square, vector3(5.0f, -3.0f, 0.0f), 90.0f, 2.0f,
                                         colour4(1.0f, 1.0f, 1.0f, 1.0f));
    expectNear(endOf(system.getParticle(0), 0), vector3(3.0f, -5.0f, 0.0f));
    // The inner ring: 0.27 of the size about the same centre.
    expectNear(endOf(system.getParticle(8), 0), vector3(5.0f - 0.54f, -3.0f - 0.54f, 0.0f));
}

TEST(ParticleSystem, AlphaFadesAtASteadyStepAndStopsAtTheSixthUpdate) {
    const ZEBObject square = makeShape(SQUARE);
    seedRandom(SEED);
    ZEBObjectParticleSystem system = explode(square, 1.0f);
    const vector3 start = system.getParticle(5).getPosition();
    const vector3 velocity = system.getParticle(5).getVelocity();
    const float expected[5] = {1.0f, 0.9375f, 0.75f, 0.4375f, 0.0f};
    for (int update = 0; update < 5; ++update) {
        system.update(0.25f);
        EXPECT_TRUE(system.isActive()) << "update " << update + 1;
        EXPECT_FLOAT_EQ(system.getColour().a, expected[update]) << "update " << update + 1;
    }
    const vector3 moved = system.getParticle(5).getPosition();
    expectNear(
        moved,
        vector3(start.x + 1.25f * velocity.x, start.y + 1.25f * velocity.y, start.z + 1.25f * velocity.z),
        1e-4f);
    EXPECT_FLOAT_EQ(system.getParticle(5).getRotation(), 1.25f * system.getParticle(5).getRotationSpeed());

    system.update(0.25f);
    EXPECT_FALSE(system.isActive());
    expectNear(system.getParticle(5).getPosition(), moved, 0.0f); // not moved once over
}

TEST(ParticleSystem, DegenerateShapesAndDurations) {
    seedRandom(SEED);
    const ZEBObject dot = makeShape({{2.0f, 3.0f, 0.0f}});
    const ZEBObjectParticleSystem sparks = explode(dot, 0.1f);
    ASSERT_EQ(sparks.getParticleCount(), 4);
    for (int i = 0; i < 4; ++i)
        expectNear(endOf(sparks.getParticle(i), 0), endOf(sparks.getParticle(i), 1), 0.0f);

    // A zero duration fades out at once instead of dividing 0 by 0.
    const ZEBObject square = makeShape(SQUARE);
    ZEBObjectParticleSystem instant = explode(square, 0.0f);
    instant.update(0.0f);
    EXPECT_TRUE(instant.isActive());
    EXPECT_EQ(instant.getColour().a, 0.0f);
    instant.update(0.02f);
    instant.update(0.02f);
    EXPECT_FALSE(instant.isActive());
}

// A host's duration cannot keep an effect for good: whatever it sends, the
// effect has ended once the longest allowed duration has passed.
TEST(ParticleSystem, EveryDurationFromAHostEndsWithinTheLimit) {
    const struct {
        float sent;
        float kept;
    } cases[] = {{NAN, 0.0f},
                 {-1.0f, 0.0f},
                 {0.3f, 0.3f},
                 {1e30f, MAX_EXPLOSION_DURATION},
                 {3.4e38f, MAX_EXPLOSION_DURATION},
                 {INFINITY, MAX_EXPLOSION_DURATION}};
    const ZEBObject square = makeShape(SQUARE);
    for (const auto& c : cases) {
        EXPECT_EQ(limitExplosionDuration(c.sent), c.kept) << c.sent;
        ZEBObjectParticleSystem effect = explode(square, c.sent);
        float elapsed = 0.0f;
        while (effect.isActive() && elapsed < 2.0f * MAX_EXPLOSION_DURATION) {
            effect.update(0.02f);
            elapsed += 0.02f;
        }
        EXPECT_FALSE(effect.isActive()) << c.sent;
        EXPECT_LE(elapsed, c.kept + 0.05f) << c.sent;
    }
}

TEST_F(RenderTest, ExplosionLinesAreDrawnBlendedAndNotOnceInactive) {
    g_pd3dDevice->setTransform(transformState::view, referenceView());
    g_pd3dDevice->setAlphaBlend(true);
    g_pd3dDevice->setBlendFactors(blendFactor::sourceAlpha, blendFactor::inverseSourceAlpha);
    const ZEBObject square =
        makeShape({{-4.0f, -4.0f, 0.0f}, {4.0f, -4.0f, 0.0f}, {4.0f, 4.0f, 0.0f}, {-4.0f, 4.0f, 0.0f}});
    seedRandom(SEED);
    ZEBObjectParticleSystem system(1.0f, square, ZERO, 0.0f, 1.0f, colour4(0.0f, 1.0f, 0.0f, 1.0f));
    system.update(0.25f);
    system.update(0.25f); // alpha 0.9375
    system.draw();
    frame();
    int opaque = 0;
    int blended = 0;
    for (uint32_t p : m_pixels) {
        opaque += p == 0xFF00FF00u;
        blended += p != BACKGROUND_ARGB && p != 0xFF00FF00u && ((p >> 8) & 0xFF) > 0xE0;
    }
    EXPECT_EQ(opaque, 0);
    EXPECT_GT(blended, 100);

    clearScene(0.05f, 0.05f, 0.1f, 1.0f);
    for (int i = 0; i < 5; ++i)
        system.update(0.25f);
    ASSERT_FALSE(system.isActive());
    system.draw();
    frame();
    EXPECT_FALSE(anyNot(BACKGROUND_ARGB, 0, 0, 699, 699));
}
