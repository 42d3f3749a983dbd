#include "game/rules/zebgamestateelement.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

ZEBGameStateElement sample() {
    ZEBGameStateElement element;
    element.initialise(17, vector3(1.5f, -2.25f, 0.0f), 33.0f, vector3(-0.5f, 4.0f, 0.0f), 0.4f, TYPE_PLAYER,
                       2, colour4(0.5f, 0.25f, 1.0f, 0.75f), true);
    return element;
}

void expectVector(const vector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
}

vector3 rowTimes(const vector3& p, const matrix& m) {
    return vector3(p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
                   p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
                   p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2));
}

} // namespace

TEST(Element, DefaultValues) {
    const ZEBGameStateElement element;
    EXPECT_EQ(element.getUniqueID(), 0);
    EXPECT_EQ(element.getType(), TYPE_UNKNOWN);
    EXPECT_EQ(element.getScale(), 1.0f);
    EXPECT_EQ(element.getColour(), WHITE);
    EXPECT_FALSE(element.isVisible());
    EXPECT_FALSE(element.isExploding());
    EXPECT_EQ(element.getNumChildren(), 0);
    EXPECT_EQ(element.getTimeSinceUpdate(), 0.0f);
}

TEST(Element, FullRecordIsLittleEndianFieldByField) {
    uint8_t record[FULL_RECORD_SIZE];
    std::memset(record, 0xAA, sizeof(record));
    sample().writeFull(record);
    EXPECT_EQ(record[0], 17);
    EXPECT_EQ(record[1], 0);
    // 1.5f is 0x3FC00000
    EXPECT_EQ(record[4], 0x00);
    EXPECT_EQ(record[6], 0xC0);
    EXPECT_EQ(record[7], 0x3F);
    EXPECT_EQ(record[36], TYPE_PLAYER);
    EXPECT_EQ(record[40], 2);
    // alpha 0.75f is 0x3F400000
    EXPECT_EQ(record[58], 0x40);
    EXPECT_EQ(record[59], 0x3F);
    EXPECT_EQ(record[60], 1);
}

TEST(Element, FullRecordRoundTripLeavesLocalFieldsAlone) {
    uint8_t record[FULL_RECORD_SIZE];
    const ZEBGameStateElement source = sample();
    source.writeFull(record);

    ZEBGameStateElement target;
    target.startExplosion(0.3f, vector3(7.0f, 8.0f, 0.0f), 45.0f);
    target.addChild(4);
    target.update(0.25f);
    target.readFull(record);

    EXPECT_EQ(target.getUniqueID(), 17);
    EXPECT_EQ(target.getPosition(), source.getPosition());
    EXPECT_EQ(target.getRotation(), 33.0f);
    EXPECT_EQ(target.getVelocity(), source.getVelocity());
    EXPECT_EQ(target.getScale(), 0.4f);
    EXPECT_EQ(target.getType(), TYPE_PLAYER);
    EXPECT_EQ(target.getObjectID(), 2);
    EXPECT_EQ(target.getColour(), source.getColour());
    EXPECT_TRUE(target.isVisible());
    // never on the wire
    EXPECT_TRUE(target.isExploding());
    float duration = 0.0f;
    vector3 position;
    float rotation = 0.0f;
    target.getExplosion(&duration, &position, &rotation);
    EXPECT_EQ(duration, 0.3f);
    EXPECT_EQ(position, vector3(7.0f, 8.0f, 0.0f));
    EXPECT_EQ(rotation, 45.0f);
    EXPECT_EQ(target.getTimeSinceUpdate(), 0.25f);
    ASSERT_EQ(target.getNumChildren(), 1);
    EXPECT_EQ(target.getChild(0), 4);
}

TEST(Element, PartialRecordChangesOnlyItsFields) {
    uint8_t record[PARTIAL_RECORD_SIZE];
    const ZEBGameStateElement source = sample();
    source.writePartial(record);
    EXPECT_EQ(record[32], 1);

    ZEBGameStateElement target;
    target.initialise(3, ZERO, 0.0f, ZERO, 2.5f, TYPE_ASTEROID, 4, colour4(0.6f, 0.6f, 0.6f, 1.0f), false);
    target.readPartial(record);
    EXPECT_EQ(target.getUniqueID(), 17);
    EXPECT_EQ(target.getPosition(), source.getPosition());
    EXPECT_EQ(target.getRotation(), 33.0f);
    EXPECT_EQ(target.getVelocity(), source.getVelocity());
    EXPECT_TRUE(target.isVisible());
    EXPECT_EQ(target.getScale(), 2.5f);
    EXPECT_EQ(target.getType(), TYPE_ASTEROID);
    EXPECT_EQ(target.getObjectID(), 4);
    EXPECT_EQ(target.getColour(), colour4(0.6f, 0.6f, 0.6f, 1.0f));
}

TEST(Element, SizedReadsRefuseShortBuffersAndTouchNothing) {
    std::vector<uint8_t> record(FULL_RECORD_SIZE);
    sample().writeFull(record.data());
    ZEBGameStateElement target;
    EXPECT_FALSE(target.readFull(record.data(), FULL_RECORD_SIZE - 1));
    EXPECT_FALSE(target.readFull(nullptr, FULL_RECORD_SIZE));
    EXPECT_FALSE(target.readPartial(record.data(), PARTIAL_RECORD_SIZE - 1));
    EXPECT_EQ(target.getUniqueID(), 0);
    EXPECT_EQ(target.getType(), TYPE_UNKNOWN);
    EXPECT_FALSE(target.isVisible());
    EXPECT_TRUE(target.readFull(record.data(), FULL_RECORD_SIZE));
    EXPECT_EQ(target.getUniqueID(), 17);
    EXPECT_TRUE(target.readPartial(record.data(), PARTIAL_RECORD_SIZE));
}

TEST(Element, DirectionAtZeroNinetyAndHalfTurn) {
    ZEBGameStateElement element;
    expectVector(element.getDirection(), -1.0f, 0.0f, 0.0f);
    element.setRotation(90.0f);
    expectVector(element.getDirection(), 0.0f, -1.0f, 0.0f);
    element.setRotation(180.0f);
    expectVector(element.getDirection(), 1.0f, 0.0f, 0.0f);
}

TEST(Element, RotationMatrixTurnsXTowardsY) {
    ZEBGameStateElement element;
    element.setRotation(90.0f);
    const matrix rotation = element.getRotationMatrix();
    EXPECT_NEAR(rotation(0, 1), 1.0f, 1e-6f);
    EXPECT_NEAR(rotation(1, 0), -1.0f, 1e-6f);
    expectVector(rowTimes(vector3(1.0f, 0.0f, 0.0f), rotation), 0.0f, 1.0f, 0.0f);
}

TEST(Element, WorldTransformIsScaleRotationTranslation) {
    ZEBGameStateElement element;
    element.setScale(2.0f);
    element.setPosition(vector3(3.0f, 4.0f, 0.0f));
    expectVector(rowTimes(vector3(1.0f, 0.0f, 0.0f), element.getWorldTransform()), 5.0f, 4.0f, 0.0f);
    element.setRotation(90.0f);
    expectVector(rowTimes(vector3(1.0f, 0.0f, 0.0f), element.getWorldTransform()), 3.0f, 6.0f, 0.0f);
    element.setRotation(180.0f);
    expectVector(rowTimes(vector3(1.0f, 0.0f, 0.0f), element.getWorldTransform()), 1.0f, 4.0f, 0.0f);
}

TEST(Element, MovementSubtractsVelocityAndDampsShipsOnly) {
    ZEBGameStateElement ship;
    ship.initialise(0, ZERO, 0.0f, vector3(2.0f, 0.0f, 0.0f), 0.4f, TYPE_PLAYER, 0, WHITE, true);
    ship.update(0.5f);
    expectVector(ship.getPosition(), -1.0f, 0.0f, 0.0f);
    expectVector(ship.getVelocity(), 1.7f, 0.0f, 0.0f);
    EXPECT_EQ(ship.getTimeSinceUpdate(), 0.5f);

    for (int type : {TYPE_ASTEROID, TYPE_BULLET}) {
        ZEBGameStateElement other;
        other.initialise(0, ZERO, 0.0f, vector3(2.0f, -4.0f, 0.0f), 1.0f, type, 0, WHITE, false);
        other.update(0.5f); // invisible elements move too
        expectVector(other.getPosition(), -1.0f, 2.0f, 0.0f);
        expectVector(other.getVelocity(), 2.0f, -4.0f, 0.0f);
    }

    // thrust along the facing direction carries a ship towards +x at rotation 0
    ZEBGameStateElement thrusting;
    thrusting.initialise(0, ZERO, 0.0f, thrusting.getDirection(), 0.4f, TYPE_PLAYER, 0, WHITE, true);
    thrusting.update(0.1f);
    EXPECT_GT(thrusting.getPosition().x, 0.0f);
}

TEST(Element, ExplosionHidesAndClears) {
    ZEBGameStateElement element = sample();
    element.startExplosion(0.16f, vector3(1.0f, 2.0f, 0.0f), 10.0f);
    EXPECT_FALSE(element.isVisible());
    EXPECT_TRUE(element.isExploding());
    element.clearExplosion();
    EXPECT_FALSE(element.isExploding());
    float duration = 0.0f;
    element.getExplosion(&duration, nullptr, nullptr);
    EXPECT_EQ(duration, 0.16f);
}
