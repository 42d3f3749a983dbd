// Scenarios of whole games: one server and several clients in one process.

#include "game/rules/shipcontrols.h"
#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

using play::Client;
using play::FRAME;
using play::Harness;
using play::seenDistance;

namespace {

// Ticks of FRAME until a float accumulating from start reaches limit, as the server counts.
int ticksToReach(float start, float limit) {
    float value = start;
    int ticks = 0;
    while (value < limit) {
        value += FRAME;
        ++ticks;
    }
    return ticks;
}

const networkMessage* findExplosion(const std::vector<networkMessage>& messages, int id, Explosion* out) {
    for (const networkMessage& message : messages) {
        if (message.getType() != MSG_EXPLOSION)
            continue;
        Explosion explosion;
        if (readExplosion(message.getData(), message.getDataSize(), &explosion) &&
            explosion.elementID == id) {
            *out = explosion;
            return &message;
        }
    }
    return nullptr;
}

// Places a large asteroid and hides the rest of its family, all at rest.
void placeAsteroid(Harness& h, int id, const vector3& position, const vector3& velocity) {
    h.parkAsteroids();
    for (int i = 0; i < h.game.getElementCount(); ++i) {
        if (h.game.getElement(i).getType() == TYPE_ASTEROID)
            elementOf(h.game, i).setVisible(false);
    }
    ZEBGameStateElement& asteroid = elementOf(h.game, id);
    asteroid.setPosition(position);
    asteroid.setVelocity(velocity);
    asteroid.setRotation(0.0f);
    asteroid.setVisible(true);
}

// The client owns its ship's place; the next frame tells the server.
void moveOwnShip(Harness& h, Client& client, const vector3& position) {
    elementOf(client.collector, client.collector.getOwnIndex()).setPosition(position);
    h.step();
}

void fireOnce(Harness& h, Client& client) {
    client.input.fire = true;
    h.step();
    client.input.fire = false;
}

} // namespace

TEST(Play, EightJoinsTakeEightColoursAndANinthIsRefused) {
    Harness h(1);
    for (uint32_t id = 1; id <= 9; ++id)
        h.addClient(id);
    h.steps(6);

    std::set<int> ownShips;
    std::set<std::vector<float>> colours;
    for (int c = 0; c < 8; ++c) {
        const ZEBGameStateCollector& collector = h.clients[c]->collector;
        ASSERT_TRUE(collector.hasJoined()) << "client " << c;
        const ZEBGameStateElement& ship = h.game.getElement(collector.getOwnIndex());
        EXPECT_EQ(ship.getType(), TYPE_PLAYER);
        ownShips.insert(collector.getOwnIndex());
        const colour4& colour = ship.getColour();
        colours.insert({colour.r, colour.g, colour.b, colour.a});
    }
    EXPECT_EQ(ownShips.size(), 8u);
    EXPECT_EQ(colours.size(), 8u);
    for (int i = 0; i < PLAYER_COLOUR_COUNT; ++i)
        EXPECT_TRUE(h.game.isColourUsed(i));

    EXPECT_FALSE(h.clients[8]->collector.hasJoined());
    h.steps(3);
    EXPECT_FALSE(h.clients[8]->collector.hasJoined());
    EXPECT_EQ(h.game.getPlayerCount(), MAX_PLAYERS);
    EXPECT_EQ(h.game.getElementCount(), ELEMENTS_PER_FAMILY + 3 * MAX_PLAYERS);
}

TEST(Play, FirstPlayerOfThreeFamiliesGetsShip21AndA24ElementFullState) {
    Harness h(3);
    Client& a = h.addClient(7);
    h.step(); // the request goes out and is answered in the same frame
    ASSERT_GE(h.lastTick.size(), 4u);
    const networkMessage& full = h.lastTick[0];
    ASSERT_EQ(full.getType(), MSG_FULL_STATE);
    EXPECT_EQ(full.getDataSize(), 1472);
    FullStateHeader header;
    ASSERT_TRUE(readFullStateHeader(full.getData(), full.getDataSize(), &header));
    EXPECT_EQ(header.count, 24);
    EXPECT_EQ(header.shipID, 21);
    EXPECT_EQ(h.game.getPlayer(0).shipID, 21);
    EXPECT_EQ(h.game.getPlayer(0).bulletIDs[0], 22);
    EXPECT_EQ(h.game.getPlayer(0).bulletIDs[1], 23);
    h.step();
    EXPECT_TRUE(a.collector.hasJoined());
    EXPECT_EQ(a.collector.getOwnIndex(), 21);
    EXPECT_EQ(a.collector.getElementCount(), 24);
}

TEST(Play, TwoJoinsInOneTickEachGetTheirOwnShip) {
    Harness h(3);
    Client& a = h.addClient(11);
    Client& b = h.addClient(12);
    h.step();

    // Each full state goes to its own player alone, reliably; the new elements go to all.
    std::vector<std::pair<int, uint32_t>> order;
    for (const networkMessage& message : h.lastTick) {
        if (message.getType() == MSG_FULL_STATE || message.getType() == MSG_NEW_ELEMENT) {
            order.push_back({message.getType(), message.getDestination()});
            EXPECT_TRUE(message.isGuaranteed());
        }
    }
    const std::vector<std::pair<int, uint32_t>> expected = {
        {MSG_FULL_STATE, 11u},          {MSG_NEW_ELEMENT, ALL_PLAYERS}, {MSG_NEW_ELEMENT, ALL_PLAYERS},
        {MSG_NEW_ELEMENT, ALL_PLAYERS}, {MSG_FULL_STATE, 12u},          {MSG_NEW_ELEMENT, ALL_PLAYERS},
        {MSG_NEW_ELEMENT, ALL_PLAYERS}, {MSG_NEW_ELEMENT, ALL_PLAYERS}};
    EXPECT_EQ(order, expected);

    h.step();
    ASSERT_TRUE(a.collector.hasJoined());
    ASSERT_TRUE(b.collector.hasJoined());
    EXPECT_EQ(a.collector.getOwnIndex(), 21);
    EXPECT_EQ(b.collector.getOwnIndex(), 24);
    EXPECT_EQ(a.collector.getElementCount(), 27);
    EXPECT_EQ(b.collector.getElementCount(), 27);
}

// How far B draws A's ship from where the host had it when B's update was
// sent, and how far B's game state is: what a copy that follows the design
// alone, moving elements in a straight line between updates, would draw.
struct DrawnError {
    float position = 0.0f;
    float rotation = 0.0f;
    float plainPosition = 0.0f;
};

DrawnError stepAndCompare(Harness& h, const Client& watcher, int ship) {
    const ZEBGameStateElement host = h.game.getElement(ship);
    h.step();
    return {seenDistance(watcher.collector.getDrawnPosition(ship), host.getPosition()),
            std::fabs(std::remainder(watcher.collector.getDrawnRotation(ship) - host.getRotation(), 360.0f)),
            seenDistance(watcher.collector.getElementState(ship).getPosition(), host.getPosition())};
}

// A game in which B watches A's ship, the asteroids out of the way.
struct Watching {
    explicit Watching(int families) : h(families), a(h.addClient(1)), b(h.addClient(2)) {
        joined = h.joinAll();
        h.parkAsteroids();
        shipA = a.collector.getOwnIndex();
    }
    Harness h;
    Client& a;
    Client& b;
    bool joined = false;
    int shipA = 0;
};

int updatesOf(const std::vector<networkMessage>& messages, int id) {
    int count = 0;
    for (const networkMessage& message : messages) {
        ElementUpdate update;
        count += message.getType() == MSG_ELEMENT_UPDATE &&
                         readElementUpdate(message.getData(), message.getDataSize(), &update) &&
                         update.elementID == id
                     ? 1
                     : 0;
    }
    return count;
}

TEST(Play, ThrustAndTurningReachTheOtherClients) {
    Watching w(2);
    ASSERT_TRUE(w.joined);
    auto& [h, a, b, joined, shipA] = w;

    a.input.up = true;
    a.input.left = true;
    float worstPosition = 0.0f;
    float worstRotation = 0.0f;
    for (int frame = 0; frame < 40; ++frame) {
        h.step();
        // The server keeps the client's own rotation; it does not steer ships.
        EXPECT_EQ(h.game.getElement(shipA).getRotation(), a.collector.getElementState(shipA).getRotation());
        const DrawnError error = stepAndCompare(h, b, shipA);
        worstPosition = std::max(worstPosition, error.position);
        worstRotation = std::max(worstRotation, error.rotation);
    }
    // What B draws is off by no more than the host lets it be.
    EXPECT_LE(worstPosition, GUESS_POSITION_THRESHOLD);
    EXPECT_LE(worstRotation, GUESS_ROTATION_THRESHOLD);
    const ZEBGameStateElement& seen = b.collector.getElementState(shipA);
    float speed = 0.0f;
    magnitude(&seen.getVelocity(), &speed);
    EXPECT_GT(speed, 1.0f);
    EXPECT_LE(speed, MAX_SHIP_SPEED);
    EXPECT_NE(seen.getPosition(), ZERO);
}

TEST(Play, AShipFlyingStraightSendsOnlyHeartbeatsAndATurnGoesAtOnce) {
    Watching w(1);
    ASSERT_TRUE(w.joined);
    auto& [h, a, b, joined, shipA] = w;
    elementOf(a.collector, shipA).setVelocity(vector3(-1.5f, 0.0f, 0.0f));
    h.steps(3);

    std::vector<int> updateTicks;
    for (int frame = 0; frame < 45 * 4; ++frame) {
        h.step();
        if (updatesOf(h.lastTick, shipA) > 0)
            updateTicks.push_back(h.ticks);
    }
    ASSERT_GE(updateTicks.size(), 3u);
    for (size_t i = 1; i < updateTicks.size(); ++i)
        EXPECT_EQ(updateTicks[i] - updateTicks[i - 1], ticksToReach(0.0f, HEARTBEAT_INTERVAL));

    a.input.left = true;
    std::vector<int> turning;
    for (int frame = 0; frame < 30; ++frame) {
        h.step();
        turning.push_back(updatesOf(h.lastTick, shipA));
    }
    EXPECT_EQ(turning[0], 1);
    // The copies turn the ship on by themselves: a few updates where every tick sent one.
    EXPECT_LE(std::count_if(turning.begin(), turning.end(), [](int count) { return count > 0; }), 5);
    EXPECT_NEAR(b.collector.getDrawnRotation(shipA), h.game.getElement(shipA).getRotation(),
                GUESS_ROTATION_THRESHOLD + 150.0f * FRAME);
}

// One update in twenty lost on the way to B, while A turns, thrusts and coasts.
TEST(Play, AWatchingCopyStaysCloseToTheHostUnderLoss) {
    Watching w(1);
    ASSERT_TRUE(w.joined);
    auto& [h, a, b, joined, shipA] = w;
    b.lossPercent = 5;
    std::vector<float> errors;
    float worstRotation = 0.0f;
    float worstPlain = 0.0f;
    for (int frame = 0; frame < 45 * 30; ++frame) {
        a.input.left = (frame / 60) % 3 == 0;
        a.input.right = (frame / 60) % 3 == 1;
        a.input.up = (frame / 20) % 4 == 0;
        const bool shown = h.game.getElement(shipA).isVisible();
        const DrawnError error = stepAndCompare(h, b, shipA);
        if (!shown || !b.collector.getElementState(shipA).isVisible())
            continue;
        errors.push_back(error.position);
        worstRotation = std::max(worstRotation, error.rotation);
        worstPlain = std::max(worstPlain, error.plainPosition);
    }
    ASSERT_GT(errors.size(), 1000u);
    std::sort(errors.begin(), errors.end());
    EXPECT_LE(errors[errors.size() / 2], GUESS_POSITION_THRESHOLD);
    EXPECT_LE(errors[errors.size() * 95 / 100], 2.0f * GUESS_POSITION_THRESHOLD);
    // A lost change of controls is guessed wrong for no longer than the guess runs.
    EXPECT_LE(errors.back(), 0.5f * SHIP_THRUST * GUESS_TIME * GUESS_TIME);
    EXPECT_LE(worstRotation, 150.0f * GUESS_TIME);
    // A copy that follows the design alone falls behind a thrusting ship for
    // as long as the host lets the guess run, and then hears of it.
    EXPECT_LE(worstPlain, 0.5f * SHIP_THRUST * GUESS_TIME * GUESS_TIME + GUESS_POSITION_THRESHOLD);
}

TEST(Play, HeldFireShootsEveryQuarterSecondAndTakesBackTheOlderBullet) {
    Harness h(1);
    Client& a = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    h.parkAsteroids();
    a.input.fire = true;

    std::vector<int> shotTicks;
    std::vector<int> slots;
    for (int frame = 0; frame < 40; ++frame) {
        h.step();
        const PlayerRecord& player = h.game.getPlayer(0);
        if (player.fireTimer == 0.0f) {
            shotTicks.push_back(h.ticks);
            slots.push_back(player.bulletAges[0] == 0.0f ? 0 : 1);
        }
    }
    ASSERT_EQ(shotTicks.size(), 4u);
    const int interval = ticksToReach(0.0f, FIRE_INTERVAL);
    for (size_t i = 1; i < shotTicks.size(); ++i)
        EXPECT_EQ(shotTicks[i] - shotTicks[i - 1], interval);
    // The first shot takes the second slot; with both in flight the older is taken back.
    EXPECT_EQ(slots, (std::vector<int>{1, 0, 1, 0}));
}

TEST(Play, UnhitBulletExpiresAfterOneSecondWithAnExplosion) {
    Harness h(1);
    Client& a = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    h.parkAsteroids();
    fireOnce(h, a);
    const int bullet = h.game.getPlayer(0).bulletIDs[1];
    ASSERT_TRUE(h.game.getElement(bullet).isVisible());
    const int firedAt = h.ticks;

    int expiredAt = -1;
    for (int frame = 0; frame < 60 && expiredAt < 0; ++frame) {
        h.step();
        if (!h.game.getElement(bullet).isVisible())
            expiredAt = h.ticks;
    }
    EXPECT_EQ(expiredAt - firedAt, ticksToReach(0.0f, BULLET_LIFETIME));
    Explosion explosion;
    ASSERT_NE(findExplosion(h.lastTick, bullet, &explosion), nullptr);
    EXPECT_FLOAT_EQ(explosion.duration, BULLET_EXPLOSION_TIME);
    EXPECT_EQ(h.game.getPlayer(0).bulletAges[1], BULLET_AGE_EXPIRED);

    h.step();
    EXPECT_FALSE(a.collector.getElementState(bullet).isVisible());
    EXPECT_TRUE(a.collector.isExploding(bullet));
    std::vector<int32_t> sounds;
    a.collector.takeSounds(sounds);
    EXPECT_EQ(sounds, std::vector<int32_t>{TYPE_BULLET});
}

TEST(Play, BulletBreaksALargeAsteroidIntoItsTwoFragments) {
    Harness h(1);
    Client& a = h.addClient(1);
    Client& b = h.addClient(2);
    ASSERT_TRUE(h.joinAll());
    moveOwnShip(h, b, vector3(0.0f, -5.0f, 0.0f)); // out of A's line of fire
    placeAsteroid(h, 0, vector3(5.0f, 0.0f, 0.0f), ZERO);
    fireOnce(h, a);

    for (int frame = 0; frame < 40 && h.game.getElement(0).isVisible(); ++frame)
        h.step();
    ASSERT_FALSE(h.game.getElement(0).isVisible());
    const vector3 where = h.game.getElement(0).getPosition();
    EXPECT_EQ(where, vector3(5.0f, 0.0f, 0.0f));
    EXPECT_TRUE(h.game.getElement(1).isVisible());
    EXPECT_TRUE(h.game.getElement(2).isVisible());
    EXPECT_EQ(h.game.getElement(1).getPosition(), where);
    EXPECT_EQ(h.game.getElement(2).getPosition(), where);
    for (int small = 3; small < ELEMENTS_PER_FAMILY; ++small)
        EXPECT_FALSE(h.game.getElement(small).isVisible());
    EXPECT_EQ(h.game.getPlayer(h.playerIndex(a)).score, SCORE_ASTEROID_BROKEN);
    EXPECT_EQ(h.game.getPlayer(h.playerIndex(b)).score, 0);

    Explosion explosion;
    ASSERT_NE(findExplosion(h.lastTick, 0, &explosion), nullptr);
    EXPECT_FLOAT_EQ(explosion.duration, ASTEROID_EXPLOSION_TIME);
    EXPECT_EQ(explosion.position, where);

    h.step();
    EXPECT_FALSE(b.collector.getElementState(0).isVisible());
    EXPECT_TRUE(b.collector.getElementState(1).isVisible());
    EXPECT_TRUE(b.collector.getElementState(2).isVisible());
    std::vector<int32_t> sounds;
    b.collector.takeSounds(sounds);
    EXPECT_EQ(sounds, (std::vector<int32_t>{TYPE_BULLET, TYPE_ASTEROID}));
}

// A ship nobody has touched since it appeared is spared by asteroids and by
// other players' bullets for as long as it rests (here 30 s); its player's
// first act (a turn) ends the grace at once.
TEST(Play, AnUntouchedShipIsSparedByAsteroidsAndBulletsUntilItsPlayerActs) {
    for (const bool bullet : {false, true}) {
        for (const bool acts : {false, true}) {
            Harness h(1);
            Client& a = h.addClient(1);
            Client& b = h.addClient(2);
            ASSERT_TRUE(h.joinAll());
            h.parkAsteroids();
            h.steps(2); // a ship kept back by an asteroid at its spawn point appears
            const int ship = a.collector.getOwnIndex();
            a.input.left = acts;
            h.step();
            a.input.left = false;
            if (bullet) { // B, across the field, fires back along A's heading
                elementOf(b.collector, b.collector.getOwnIndex())
                    .setRotation(h.game.spawnRotation(0) + 180.0f);
                moveOwnShip(h, b, vector3(6.0f, 0.0f, 0.0f));
            } else {
                placeAsteroid(h, 0, vector3(8.0f, 0.0f, 0.0f), vector3(5.0f, 0.0f, 0.0f)); // passes every 4 s
            }
            int hitAt = -1;
            for (int frame = 1; frame < 30 * 45 && hitAt < 0; ++frame) {
                b.input.fire = bullet && frame % 45 == 1;
                h.step();
                if (!h.game.getElement(ship).isVisible())
                    hitAt = frame;
            }
            EXPECT_EQ(hitAt > 0 && hitAt < 2 * 45, acts) << hitAt << (bullet ? " bullet" : " asteroid");
            EXPECT_EQ(hitAt < 0, !acts);
            const int lost = bullet ? SCORE_HIT_BY_BULLET : SCORE_HIT_BY_ASTEROID;
            EXPECT_EQ(h.game.getPlayer(h.playerIndex(a)).score, acts ? lost : 0);
        }
    }
}

// A ship turning for a minute keeps its heading within one turn on its own
// copy and on the host; a copy that never wraps it is kept in range by the host.
TEST(Play, ATurningShipsHeadingStaysWithinOneTurn) {
    EXPECT_EQ(wrapRotation(-90.0f), 270.0f);
    EXPECT_EQ(wrapRotation(720.0f + 45.0f), 45.0f);
    EXPECT_EQ(wrapRotation(-1e-9f), 0.0f);
    Harness h(1);
    Client& a = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    h.parkAsteroids();
    const int ship = a.collector.getOwnIndex();
    a.input.left = true;
    float lowest = 360.0f;
    float highest = 0.0f;
    for (int frame = 0; frame < 60 * 45; ++frame) {
        h.step();
        lowest = std::min(lowest, a.collector.getElementState(ship).getRotation());
        highest = std::max(highest, a.collector.getElementState(ship).getRotation());
    }
    EXPECT_GE(lowest, 0.0f);
    EXPECT_LT(highest, 360.0f);
    EXPECT_GT(highest, 350.0f);
    a.input.left = false;
    elementOf(a.collector, ship).setRotation(3.0f * 360.0f + 10.0f);
    h.step();
    EXPECT_FLOAT_EQ(h.game.getElement(ship).getRotation(), 10.0f);
}

TEST(Play, ShipHitByAnAsteroidLosesFivePointsAndReturnsAtItsSpawnPoint) {
    Harness h(1);
    Client& a = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    const int ship = a.collector.getOwnIndex();
    placeAsteroid(h, 0, vector3(8.0f, 0.0f, 0.0f), vector3(5.0f, 0.0f, 0.0f)); // moving towards -x
    playerOf(h.game, 0).untouched = false;                                     // its player has acted

    for (int frame = 0; frame < 30 && h.game.getElement(ship).isVisible(); ++frame)
        h.step();
    ASSERT_FALSE(h.game.getElement(ship).isVisible());
    const int hitAt = h.ticks;
    EXPECT_EQ(h.game.getPlayer(0).score, SCORE_HIT_BY_ASTEROID);
    EXPECT_FALSE(h.game.getElement(0).isVisible());
    EXPECT_TRUE(h.game.getElement(1).isVisible());
    Explosion explosion;
    ASSERT_NE(findExplosion(h.lastTick, ship, &explosion), nullptr);
    EXPECT_FLOAT_EQ(explosion.duration, SHIP_EXPLOSION_TIME);

    // Back at the centre once 2.5 s of ticks have passed.
    float timer = RESPAWN_DELAY;
    int delay = 0;
    do {
        timer -= FRAME;
        ++delay;
    } while (timer > 0.0f);
    int backAt = -1;
    for (int frame = 0; frame < 200 && backAt < 0; ++frame) {
        h.step();
        if (h.game.getElement(ship).isVisible())
            backAt = h.ticks;
    }
    EXPECT_EQ(backAt - hitAt, delay);
    EXPECT_EQ(h.game.getElement(ship).getPosition(), h.game.spawnPoint(0));
    EXPECT_EQ(h.game.getElement(ship).getVelocity(), ZERO);
    h.step();
    EXPECT_TRUE(a.collector.getElementState(ship).isVisible());
    EXPECT_EQ(h.game.getPlayer(0).score, SCORE_HIT_BY_ASTEROID);
}

TEST(Play, AnotherPlayersBulletCostsTenPointsButOwnBulletsNeverHit) {
    Harness h(1);
    Client& a = h.addClient(1);
    Client& b = h.addClient(2);
    ASSERT_TRUE(h.joinAll());
    h.parkAsteroids();
    h.steps(2); // a ship kept back by an asteroid at its spawn point appears
    const int shipA = a.collector.getOwnIndex();
    const int shipB = b.collector.getOwnIndex();
    ASSERT_TRUE(h.game.getElement(shipB).isVisible());

    elementOf(b.collector, shipB).setRotation(0.0f); // nose on the line, as the hit test needs
    moveOwnShip(h, b, vector3(6.0f, 0.0f, 0.0f));    // in A's line of fire
    fireOnce(h, a);
    for (int frame = 0; frame < 40 && h.game.getElement(shipB).isVisible(); ++frame)
        h.step();
    ASSERT_FALSE(h.game.getElement(shipB).isVisible());
    EXPECT_EQ(h.game.getPlayer(h.playerIndex(b)).score, SCORE_HIT_BY_BULLET);
    EXPECT_EQ(h.game.getPlayer(h.playerIndex(a)).score, 0);
    EXPECT_FALSE(h.game.getElement(h.game.getPlayer(h.playerIndex(a)).bulletIDs[1]).isVisible());
    Explosion explosion;
    EXPECT_NE(findExplosion(h.lastTick, shipB, &explosion), nullptr);

    // Now A stands in its own line of fire: nothing happens.
    h.steps(120); // B returns, the old bullet is long gone
    ASSERT_TRUE(h.game.getElement(shipB).isVisible());
    moveOwnShip(h, b, vector3(0.0f, -5.0f, 0.0f));
    fireOnce(h, a);
    elementOf(a.collector, shipA).setPosition(vector3(3.0f, 0.0f, 0.0f));
    const int bullet = h.game.getPlayer(h.playerIndex(a)).bulletIDs[1];
    ASSERT_TRUE(h.game.getElement(bullet).isVisible());
    for (int frame = 0; frame < 50; ++frame) {
        h.step();
        ASSERT_TRUE(h.game.getElement(shipA).isVisible());
    }
    EXPECT_FALSE(h.game.getElement(bullet).isVisible()); // it flew through and expired
    EXPECT_EQ(h.game.getPlayer(h.playerIndex(a)).score, 0);
}

TEST(Play, BreakingTheLastPieceStartsANewRound) {
    Harness h(1, 99u);
    Client& a = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    placeAsteroid(h, 6, vector3(3.0f, 0.0f, 0.0f), ZERO); // the last small piece
    fireOnce(h, a);

    for (int frame = 0; frame < 40 && !h.game.getElement(0).isVisible(); ++frame)
        h.step();
    ASSERT_TRUE(h.game.getElement(0).isVisible());
    EXPECT_EQ(h.game.getPlayer(0).score, SCORE_ASTEROID_BROKEN);
    const vector3 position = h.game.getElement(0).getPosition();
    EXPECT_TRUE(position.x >= -10.0f && position.x < 10.0f && position.y >= -10.0f && position.y < 10.0f);
    for (int id = 1; id < ELEMENTS_PER_FAMILY; ++id)
        EXPECT_FALSE(h.game.getElement(id).isVisible()) << id;
    for (int id = 0; id < ELEMENTS_PER_FAMILY; ++id) {
        float speed = 0.0f;
        magnitude(&h.game.getElement(id).getVelocity(), &speed);
        const float scale = h.game.getElement(id).getScale();
        // The large piece at the level's speed, the smaller the faster, as at creation.
        EXPECT_NEAR(speed, scale == LARGE_ASTEROID_SCALE ? 1.0f : 1.0f / (2.0f * scale), 1e-5f) << id;
    }
    const int ship = a.collector.getOwnIndex();
    EXPECT_GE(h.countInLastTick(MSG_ELEMENT_UPDATE), h.game.getElementCount());
    // The ship comes back at its spawn point once the new field leaves it room.
    for (int frame = 0; frame < 45 * 20 && !h.game.getElement(ship).isVisible(); ++frame)
        h.step();
    EXPECT_EQ(h.game.getElement(ship).getPosition(), h.game.spawnPoint(0));

    h.step();
    EXPECT_TRUE(a.collector.getElementState(0).isVisible());
    EXPECT_FALSE(a.collector.getElementState(6).isVisible());
}

TEST(Play, ALeavingPlayerKeepsADisconnectedRowWithItsScore) {
    Harness h(1);
    Client& a = h.addClient(1);
    Client& b = h.addClient(2, "Second");
    ASSERT_TRUE(h.joinAll());
    h.parkAsteroids();
    playerOf(h.game, 0).score = 15;
    const int shipA = a.collector.getOwnIndex();

    h.disconnect(a);
    h.step();
    EXPECT_FALSE(h.game.getElement(shipA).isVisible());
    EXPECT_FALSE(h.game.getPlayer(0).connected);

    for (int frame = 0; frame < 60 && b.collector.getStatsCount() == 0; ++frame)
        h.step();
    ASSERT_EQ(b.collector.getStatsCount(), 2);
    EXPECT_STREQ(b.collector.getStatsName(0), "Player [Disconnected]");
    EXPECT_EQ(b.collector.getStatsScore(0), 15);
    EXPECT_STREQ(b.collector.getStatsName(1), "Second");
    EXPECT_FALSE(b.collector.getElementState(shipA).isVisible());

    // The left player's ship stays away, also across respawn time.
    h.steps(150);
    EXPECT_FALSE(h.game.getElement(shipA).isVisible());

    // A new player still gets in, with a colour of its own.
    Client& c = h.addClient(3);
    ASSERT_TRUE(h.joinAll());
    const colour4& colourC = h.game.getElement(c.collector.getOwnIndex()).getColour();
    EXPECT_NE(colourC, h.game.getElement(shipA).getColour());
    EXPECT_NE(colourC, h.game.getElement(b.collector.getOwnIndex()).getColour());
}

// An honest copy's flight is taken however its states come: at full thrust
// across an edge of the area, with a slow frame now and then, and held back by
// the link ten frames at a time and then delivered at once.
TEST(Play, AnHonestFlightIsTakenAcrossAnEdgeThroughSlowFramesAndBursts) {
    Harness h(1);
    Client& a = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    h.parkAsteroids();
    const int ship = a.collector.getOwnIndex();
    a.input.up = true;
    int edgesCrossed = 0;
    for (int frame = 0; frame < 200; ++frame) {
        a.holdOutgoing = frame % 10 != 9;
        const float before = a.collector.getElementState(ship).getPosition().x;
        h.step(frame % 60 == 35 ? 0.2f : FRAME); // a slow frame inside a burst
        edgesCrossed += a.collector.getElementState(ship).getPosition().x < before ? 1 : 0;
    }
    EXPECT_GE(edgesCrossed, 1);
    EXPECT_EQ(h.game.getRefusedStateCount(), 0u);
    EXPECT_NEAR(h.game.getElement(ship).getPosition().y, a.collector.getElementState(ship).getPosition().y,
                0.01f);
}

// A copy that reports its ship where it cannot have flown (too far since its
// last good state, or too fast) is not believed: the ship stays, and each such
// report is counted. An honest report is taken again between the rows.
TEST(Play, AShipStateBeyondTheShipsReachIsRefusedAndCounted) {
    Harness h(1);
    Client& a = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    h.parkAsteroids();
    a.connected = false; // its reports are made here from now on
    const int ship = a.collector.getOwnIndex();
    const vector3 spawn = h.game.getElement(ship).getPosition();
    const struct {
        vector3 offset;
        vector3 velocity;
    } forged[] = {{vector3(11.7f, 0.0f, 0.0f), ZERO}, // 8.3 across the edge
                  {vector3(-3.0f, -7.0f, 0.0f), ZERO},
                  {vector3(0.0f, 0.0f, 5.0f), ZERO},
                  {ZERO, vector3(40.0f, 0.0f, 0.0f)}};
    uint64_t refused = 0;
    for (const auto& row : forged) {
        for (int frame = 0; frame < 10; ++frame) {
            ZEBGameStateElement state = h.game.getElement(ship);
            vector3 position(spawn.x + row.offset.x, spawn.y + row.offset.y, spawn.z + row.offset.z);
            wrapPlayArea(position);
            state.setPosition(position);
            state.setVelocity(row.velocity);
            h.serverInbox.push(play::received(writePlayerState(state), a.playerID));
            h.step();
            EXPECT_EQ(h.game.getElement(ship).getPosition(), spawn);
            EXPECT_EQ(h.game.getRefusedStateCount(), ++refused);
        }
        h.serverInbox.push(play::received(writePlayerState(h.game.getElement(ship)), a.playerID));
        h.step();
        EXPECT_EQ(h.game.getRefusedStateCount(), refused);
    }
}
