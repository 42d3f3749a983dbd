// The client's game state: joining, applying the server's messages, refusing
// bad ones, and predicting the own ship.

#include "game/client/zebgamestatecollector.h"
#include "game/rules/protocol.h"
#include "networklib/networkmessage.h"
#include "tests/game/gamestateaccess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

ZEBGameStateElement element(int id, int type, bool visible, const vector3& position = ZERO) {
    ZEBGameStateElement e;
    e.initialise(id, position, 0.0f, ZERO, 1.0f, type, 0, WHITE, visible);
    return e;
}

// Three asteroids, then the own ship (3) and its two bullets.
std::vector<ZEBGameStateElement> world() {
    return {element(0, TYPE_ASTEROID, true),  element(1, TYPE_ASTEROID, false),
            element(2, TYPE_ASTEROID, false), element(3, TYPE_PLAYER, true),
            element(4, TYPE_BULLET, false),   element(5, TYPE_BULLET, false)};
}

struct Client {
    // One update with the given messages; returns what the collector queued.
    std::vector<networkMessage> update(const std::vector<networkMessage>& messages, float dt = 0.0f) {
        messageQueue in;
        for (const networkMessage& message : messages)
            in.push(message);
        messageQueue out;
        collector.update(dt, in, out);
        std::vector<networkMessage> sent;
        while (out.hasMessages())
            sent.push_back(out.pop());
        return sent;
    }

    void join() {
        collector.setPlayerName("Player");
        update({writeFullState(world(), 3)});
        ASSERT_TRUE(collector.hasJoined());
    }

    ZEBGameStateCollector collector;
};

networkMessage explosionOf(int id, float duration) {
    Explosion explosion;
    explosion.elementID = id;
    explosion.duration = duration;
    explosion.position = vector3(1.0f, 2.0f, 0.0f);
    explosion.rotation = 30.0f;
    return writeExplosion(explosion);
}

networkMessage updateOf(const ZEBGameStateElement& e) {
    return writeElementUpdate(e);
}

networkMessage raw(int type, const std::vector<uint8_t>& payload) {
    return networkMessage(type, payload.data(), static_cast<int>(payload.size()));
}

} // namespace

TEST(CollectorJoin, AsksEveryFrameUntilTheFullStateArrives) {
    Client c;
    c.collector.setPlayerName("Player");
    for (int frame = 0; frame < 3; ++frame) {
        const auto sent = c.update({explosionOf(0, 0.1f), writeNewElement(element(0, TYPE_ASTEROID, true))});
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].getType(), MSG_JOIN_REQUEST);
        ASSERT_EQ(sent[0].getDataSize(), JOIN_REQUEST_SIZE);
        EXPECT_EQ(std::memcmp(sent[0].getData(), "Player\0", 7), 0);
        // What the copy understands rides after the name's terminator.
        EXPECT_EQ(readJoinAnnouncement(sent[0].getData(), sent[0].getDataSize()), OWN_CAPABILITIES);
    }
    EXPECT_EQ(c.collector.getElementCount(), 0);
    EXPECT_FALSE(c.collector.hasJoined());

    // The reply and a new element in one call: joined, then the element is added.
    const auto sent = c.update({writeFullState(world(), 3), writeNewElement(element(6, TYPE_PLAYER, true)),
                                writeNewElement(element(6, TYPE_PLAYER, false)), writeFullState({}, 0)});
    EXPECT_TRUE(c.collector.hasJoined());
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(c.collector.getOwnIndex(), 3);
    ASSERT_EQ(c.collector.getElementCount(), 7);
    EXPECT_TRUE(c.collector.getElementState(6).isVisible()); // the repeat did not replace it
}

TEST(CollectorJoin, RefusesFullStatesThatDoNotHoldTheirShipOrTheirCount) {
    Client c;
    networkMessage truncated = writeFullState(world(), 3);
    truncated = networkMessage(MSG_FULL_STATE, truncated.getData(), truncated.getDataSize() - 1);
    c.update({truncated, writeFullState(world(), 6), writeFullState(world(), -1)});
    EXPECT_FALSE(c.collector.hasJoined());
    EXPECT_EQ(c.collector.getElementCount(), 0);
}

TEST(CollectorMessages, OwnShipUpdatesWaitUntilTheShipIsHidden) {
    Client c;
    c.join();
    ZEBGameStateElement server = element(3, TYPE_PLAYER, true, vector3(5.0f, 5.0f, 0.0f));
    c.update({updateOf(server)});
    EXPECT_EQ(c.collector.getElementState(3).getPosition(), ZERO);

    c.update({explosionOf(3, 0.3f), updateOf(server)});
    EXPECT_EQ(c.collector.getElementState(3).getPosition(), vector3(5.0f, 5.0f, 0.0f));
    EXPECT_TRUE(c.collector.getElementState(3).isVisible());

    // Other elements take every update.
    c.update({updateOf(element(1, TYPE_ASTEROID, true, vector3(-2.0f, 1.0f, 0.0f)))});
    EXPECT_TRUE(c.collector.getElementState(1).isVisible());
    EXPECT_EQ(c.collector.getElementState(1).getPosition(), vector3(-2.0f, 1.0f, 0.0f));
}

TEST(CollectorMessages, ExplosionsRecordTheirPlaceAndQueueSoundsInOrder) {
    Client c;
    c.join();
    c.update({explosionOf(3, 0.3f), explosionOf(0, 0.16f)});
    float duration = 0.0f;
    vector3 position;
    float rotation = 0.0f;
    c.collector.getExplosion(0, duration, position, rotation);
    EXPECT_FLOAT_EQ(duration, 0.16f);
    EXPECT_EQ(position, vector3(1.0f, 2.0f, 0.0f));
    EXPECT_EQ(rotation, 30.0f);
    EXPECT_FALSE(c.collector.getElementState(0).isVisible());
    c.collector.clearExplosion(0);
    EXPECT_FALSE(c.collector.isExploding(0));

    std::vector<int32_t> sounds = {9};
    c.collector.takeSounds(sounds);
    EXPECT_EQ(sounds, (std::vector<int32_t>{TYPE_PLAYER, TYPE_ASTEROID}));
    c.collector.takeSounds(sounds);
    EXPECT_TRUE(sounds.empty());
}

TEST(CollectorMessages, ScoreTableIsReplacedWithNamesTerminatedAndColoursWithinRange) {
    Client c;
    c.join();
    std::vector<PlayerStats> rows(2);
    std::strcpy(rows[0].name, "Player");
    rows[0].score = -10;
    rows[0].colour = colour4(0.25f, 0.0f, 1.0f, 1.0f);
    rows[1].colour = colour4(1.5f, -0.25f, NAN, -INFINITY);
    c.update({writePlayerStats(rows)});
    ASSERT_EQ(c.collector.getStatsCount(), 2);
    EXPECT_STREQ(c.collector.getStatsName(0), "Player");
    EXPECT_EQ(c.collector.getStatsScore(0), -10);
    EXPECT_EQ(c.collector.getStatsColour(0), colour4(0.25f, 0.0f, 1.0f, 1.0f));
    EXPECT_EQ(c.collector.getStatsColour(1), colour4(1.0f, 0.0f, 0.0f, 0.0f));

    networkMessage unterminated = writePlayerStats(rows);
    std::vector<uint8_t> bytes(unterminated.getData(), unterminated.getData() + unterminated.getDataSize());
    std::memset(bytes.data() + PLAYER_STATS_HEADER_SIZE, 'X', PLAYER_NAME_SIZE);
    c.update({raw(MSG_PLAYER_STATS, bytes)});
    EXPECT_EQ(std::strlen(c.collector.getStatsName(0)), 31u);

    // A name is kept as it will be drawn: controls replaced, cut to valid UTF-8.
    std::strcpy(rows[0].name, "ab\xE2\x80\xAE\ncd\xC3");
    c.update({writePlayerStats(rows)});
    EXPECT_STREQ(c.collector.getStatsName(0), "ab??cd");

    c.update({writePlayerStats({})});
    EXPECT_EQ(c.collector.getStatsCount(), 0);
}

TEST(CollectorMessages, RefusesIndicesOutsideTheListAndMalformedPayloads) {
    Client c;
    c.join();
    std::vector<PlayerStats> rows(1);
    c.update({writePlayerStats(rows)});

    networkMessage stats = writePlayerStats(rows);
    std::vector<uint8_t> wrongCount(stats.getData(), stats.getData() + stats.getDataSize());
    wrongCount[0] = 2; // says two rows, holds one
    networkMessage update = updateOf(element(1, TYPE_ASTEROID, true));
    std::vector<uint8_t> mismatch(update.getData(), update.getData() + update.getDataSize());
    mismatch[0] = 2; // the record inside still says 1
    c.update({explosionOf(6, 0.1f), explosionOf(-1, 0.1f), updateOf(element(6, TYPE_ASTEROID, true)),
              updateOf(element(-3, TYPE_ASTEROID, true)), raw(MSG_ELEMENT_UPDATE, mismatch),
              raw(MSG_EXPLOSION, std::vector<uint8_t>(EXPLOSION_SIZE - 1, 0)),
              raw(MSG_ELEMENT_UPDATE, std::vector<uint8_t>(ELEMENT_UPDATE_SIZE - 1, 0)),
              raw(MSG_NEW_ELEMENT, std::vector<uint8_t>(NEW_ELEMENT_SIZE - 1, 0)),
              raw(MSG_PLAYER_STATS, wrongCount),
              writeNewElement(element(9, TYPE_ASTEROID, true))}); // would not land at its own index
    EXPECT_EQ(c.collector.getElementCount(), 6);
    EXPECT_EQ(c.collector.getStatsCount(), 1);
    EXPECT_FALSE(c.collector.getElementState(1).isVisible());
    EXPECT_FALSE(c.collector.getElementState(2).isVisible());
    std::vector<int32_t> sounds;
    c.collector.takeSounds(sounds);
    EXPECT_TRUE(sounds.empty());
}

TEST(CollectorMessages, ReportsInputThenShipStateAndResetsOnALostConnection) {
    Client c;
    c.join();
    PlayerInput input;
    input.fire = true;
    c.collector.setInput(input);
    const auto sent = c.update({});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].getType(), MSG_PLAYER_INPUT);
    PlayerInput echoed;
    ASSERT_TRUE(readPlayerInput(sent[0].getData(), sent[0].getDataSize(), &echoed));
    EXPECT_TRUE(echoed.fire);
    EXPECT_EQ(sent[1].getType(), MSG_PLAYER_STATE);
    PartialRecord record;
    ASSERT_TRUE(readPlayerState(sent[1].getData(), sent[1].getDataSize(), &record));
    EXPECT_EQ(record.getID(), 3);

    c.update({writePlayerStats(std::vector<PlayerStats>(1))});
    c.collector.reset();
    EXPECT_FALSE(c.collector.hasJoined());
    EXPECT_EQ(c.collector.getElementCount(), 0);
    EXPECT_FALSE(c.collector.getInput().fire);
    EXPECT_EQ(c.collector.getStatsCount(), 1);
    EXPECT_EQ(c.update({}).back().getType(), MSG_JOIN_REQUEST);
}

TEST(CollectorPrediction, ThrustIsLimitedAndDampedAfterwards) {
    Client c;
    c.join();
    PlayerInput input;
    input.up = true;
    float previous = 0.0f;
    for (int frame = 0; frame < 90; ++frame) {
        c.collector.setInput(input);
        c.collector.predictOwnShip(1.0f / 45.0f);
        const vector3 v = c.collector.getElementState(3).getVelocity();
        float speed = 0.0f;
        magnitude(&v, &speed);
        EXPECT_LE(speed, MAX_SHIP_SPEED);
        if (frame < 10) {
            EXPECT_GT(speed, previous);
        }
        previous = speed;
    }
    c.collector.setInput(PlayerInput());
    c.collector.predictOwnShip(1.0f / 45.0f);
    float speed = 0.0f;
    magnitude(&c.collector.getElementState(3).getVelocity(), &speed);
    EXPECT_LT(speed, previous);
}

TEST(CollectorPrediction, ASpeedOfExactlyTheLimitIsKept) {
    Client c;
    c.join();
    // Rotation 0 faces (-1, 0, 0) in velocity terms: thrust adds along it.
    elementOf(c.collector, 3).setVelocity(vector3(-5.5f, 0.0f, 0.0f));
    PlayerInput input;
    input.up = true;
    c.collector.setInput(input);
    c.collector.predictOwnShip(0.0f);
    EXPECT_EQ(c.collector.getElementState(3).getVelocity(), vector3(-5.5f, 0.0f, 0.0f));
}

TEST(CollectorPrediction, TurningWrappingAndTheFlagsLeftForTheServer) {
    Client c;
    c.join();
    PlayerInput input;
    input.left = true;
    c.collector.setInput(input);
    c.collector.predictOwnShip(0.1f);
    EXPECT_FLOAT_EQ(c.collector.getElementState(3).getRotation(), 15.0f);
    input.right = true;
    input.fire = true;
    c.collector.setInput(input);
    c.collector.predictOwnShip(0.1f);
    EXPECT_FLOAT_EQ(c.collector.getElementState(3).getRotation(), 15.0f);
    EXPECT_TRUE(c.collector.getInput().fire);
    EXPECT_FALSE(c.collector.getInput().left || c.collector.getInput().right);

    const float xs[][2] = {{10.0f, -10.0f}, {-10.0f, -10.0f}, {31.0f, -9.0f}, {1e30f, 0.0f}};
    for (const auto& x : xs) {
        elementOf(c.collector, 3).setPosition(vector3(x[0], 0.0f, 50.0f));
        c.collector.predictOwnShip(0.0f);
        const vector3& p = c.collector.getElementState(3).getPosition();
        if (x[0] < 1e29f) {
            EXPECT_EQ(p.x, x[1]) << x[0];
        }
        EXPECT_TRUE(p.x >= -10.0f && p.x < 10.0f);
        EXPECT_EQ(p.z, 50.0f);
    }
}

TEST(CollectorPrediction, AHiddenShipTakesNoControlAndSendsEveryFlag) {
    Client c;
    c.join();
    elementOf(c.collector, 3).setVisible(false);
    elementOf(c.collector, 3).setVelocity(vector3(1.0f, 0.0f, 0.0f));
    PlayerInput input;
    input.up = true;
    input.left = true;
    c.collector.setInput(input);
    const auto sent = c.update({}, 0.5f);
    const ZEBGameStateElement& own = c.collector.getElementState(3);
    EXPECT_EQ(own.getRotation(), 0.0f);
    EXPECT_EQ(own.getPosition(), vector3(-0.5f, 0.0f, 0.0f)); // the movement step still runs
    PlayerInput echoed;
    ASSERT_TRUE(readPlayerInput(sent[0].getData(), sent[0].getDataSize(), &echoed));
    EXPECT_TRUE(echoed.up && echoed.left);
}
