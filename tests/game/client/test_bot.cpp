#include "game/bot/zebbotpilot.h"
#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int FRAMES_PER_MINUTE = 60 * 45;

struct botGame {
    explicit botGame(uint32_t seed)
        : harness(3, seed), client(harness.addClient(1, "Bot")), pilot(seed * 7u + 1u) {}

    int score() const { return harness.game.getPlayer(harness.playerIndex(client)).score; }
    const ZEBGameStateElement& ship() const {
        return harness.game.getElement(client.collector.getOwnIndex());
    }
    void fly(int frames, bool mayFire = true) {
        for (int i = 0; i < frames; ++i) {
            client.input = pilot.decide(client.collector, play::FRAME);
            client.input.fire = client.input.fire && mayFire;
            harness.step();
        }
    }

    play::Harness harness;
    play::Client& client;
    ZEBBotPilot pilot;
};

TEST(botPilot, headingTurnsWithTheRotationAndOffsetsWrap) {
    const vector3 start = shipHeading(0.0f);
    const vector3 quarter = shipHeading(90.0f);
    EXPECT_NEAR(std::hypot(start.x, start.y), 1.0f, 1e-5f);
    EXPECT_NEAR(start.x * quarter.x + start.y * quarter.y, 0.0f, 1e-5f);
    const vector3 across = wrappedOffset(vector3(9.5f, -9.5f, 0.0f), vector3(-9.5f, 9.5f, 0.0f));
    EXPECT_NEAR(across.x, 1.0f, 1e-4f);
    EXPECT_NEAR(across.y, -1.0f, 1e-4f);
}

// Every seed: the game's asteroid field and the bot's reaction delays. A ship
// that only holds fire breaks 2 to 11 asteroids a minute in such fields; the
// bot, aiming, breaks far more, and ends the minute ahead.
constexpr int AIMED_BREAKS_PER_MINUTE = 15;

TEST(botPilot, scoresAgainstAsteroidsWithinAMinuteOfPlay) {
    for (const uint32_t seed : {1u, 2u, 3u, 4u}) {
        botGame game(seed);
        ASSERT_TRUE(game.harness.joinAll());
        int broken = 0;
        for (int frame = 0, last = game.score(); frame < FRAMES_PER_MINUTE; ++frame) {
            game.fly(1);
            broken += game.score() - last == SCORE_ASTEROID_BROKEN ? 1 : 0;
            last = game.score();
        }
        EXPECT_GE(broken, AIMED_BREAKS_PER_MINUTE) << "seed " << seed;
        EXPECT_GT(game.score(), 0) << "seed " << seed;
    }
}

// An asteroid heading straight for the ship: left alone the ship is hit; the
// bot, not allowed to shoot it, gets out of the way.
TEST(botPilot, getsOutOfTheWayOfAnAsteroidAboutToHitIt) {
    for (const bool piloted : {false, true}) {
        botGame game(5u);
        ASSERT_TRUE(game.harness.joinAll());
        game.harness.parkAsteroids();
        ZEBGameStateElement& asteroid = elementOf(game.harness.game, [&] {
            for (int id = 0; id < game.harness.game.getElementCount(); ++id) {
                const ZEBGameStateElement& element = game.harness.game.getElement(id);
                if (element.getType() == TYPE_ASTEROID && element.isVisible())
                    return id;
            }
            return -1;
        }());
        // Moves by minus its velocity: from the top edge down onto the ship at the centre.
        asteroid.setPosition(vector3(0.0f, 9.5f, 0.0f));
        asteroid.setVelocity(vector3(0.0f, 2.0f, 0.0f));
        playerOf(game.harness.game, 0).untouched = false; // not the grace of a ship left alone
        const int before = game.score();
        if (piloted)
            game.fly(4 * 45, false);
        else
            game.harness.steps(4 * 45);
        EXPECT_EQ(game.score() < before, !piloted) << (piloted ? "piloted" : "idle");
    }
}

// Another ship ahead of the nose within a bullet's reach holds the bot's fire;
// one beside the line, behind, beyond reach or gone does not.
TEST(botPilot, holdsItsFireWhileAShipIsInItsLineOfFire) {
    botGame game(6u);
    play::Client& other = game.harness.addClient(2, "Idle");
    ASSERT_TRUE(game.harness.joinAll());
    const int own = game.client.collector.getOwnIndex();
    const int target = other.collector.getOwnIndex();
    const vector3 heading = shipHeading(0.0f);
    const vector3 side(-heading.y, heading.x, 0.0f);
    struct placement {
        float ahead, aside;
        bool visible, holds;
    };
    for (const placement p : {placement{4.0f, 0.3f, true, true}, placement{9.5f, 0.0f, true, true},
                              placement{4.0f, 2.0f, true, false}, placement{-3.0f, 0.0f, true, false},
                              placement{4.0f, 0.0f, false, false}}) {
        ZEBGameStateElement& ship = elementOf(game.client.collector, own);
        ship.setRotation(0.0f);
        ship.setPosition(ZERO);
        ZEBGameStateElement& seen = elementOf(game.client.collector, target);
        seen.setPosition(
            vector3(heading.x * p.ahead + side.x * p.aside, heading.y * p.ahead + side.y * p.aside, 0.0f));
        seen.setVisible(p.visible);
        EXPECT_EQ(isShipInLineOfFire(game.client.collector, own), p.holds) << p.ahead << " " << p.aside;
    }
}

// Two bots play for two minutes beside a player who never touches the keys:
// that player's score stays 0.
TEST(botPilot, botsLeaveAnIdlePlayersScoreAlone) {
    play::Harness harness(3, 9u);
    play::Client& bot = harness.addClient(1, "Bot");
    play::Client& second = harness.addClient(2, "Bot");
    play::Client& idle = harness.addClient(3, "Idle");
    ASSERT_TRUE(harness.joinAll());
    ZEBBotPilot pilots[2] = {ZEBBotPilot(11u), ZEBBotPilot(12u)};
    for (int frame = 0; frame < 2 * FRAMES_PER_MINUTE; ++frame) {
        bot.input = pilots[0].decide(bot.collector, play::FRAME);
        second.input = pilots[1].decide(second.collector, play::FRAME);
        harness.step();
    }
    EXPECT_EQ(harness.game.getPlayer(harness.playerIndex(idle)).score, 0);
    EXPECT_NE(harness.game.getPlayer(harness.playerIndex(bot)).score, 0);
}

} // namespace
