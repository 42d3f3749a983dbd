// Fair spawns: every place appears at its own point, only where nothing can
// reach it within a second, and its shots leave from the nose.

#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <cmath>

using play::FRAME;

TEST(Spawn, AShipNeverDiesInItsFirstSecondWhenNobodyFires) {
    int appearances = 0;
    for (const uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        play::Harness h(4, seed, 1.5f);
        play::Client& a = h.addClient(1);
        ASSERT_TRUE(h.joinAll());
        const int ship = a.collector.getOwnIndex();
        int appearedAt = h.game.getElement(ship).isVisible() ? 0 : -1;
        bool wasVisible = appearedAt == 0;
        for (int frame = 1; frame < 45 * 60; ++frame) {
            a.input.left = frame % 2 == 0; // its player is at the keys: no grace of an idle ship
            h.step();
            const bool visible = h.game.getElement(ship).isVisible();
            if (visible && !wasVisible) {
                appearedAt = frame;
                ++appearances;
            }
            if (!visible && wasVisible) {
                EXPECT_GT(frame - appearedAt, 45)
                    << "seed " << seed << " died " << frame - appearedAt << " frames in";
            }
            wasVisible = visible;
        }
    }
    EXPECT_GE(appearances, 6); // ships were hit and came back often enough to tell
}

TEST(Spawn, PlacesAppearApartFacingOutAndShootFromTheNose) {
    play::Harness h(1, 21u);
    h.parkAsteroids();
    for (uint32_t id = 1; id <= MAX_PLAYERS; ++id)
        h.addClient(id);
    ASSERT_TRUE(h.joinAll());
    h.step();
    for (int i = 0; i < MAX_PLAYERS; ++i) {
        const ZEBGameStateElement& ship = h.game.getElement(h.game.getPlayer(i).shipID);
        ASSERT_TRUE(ship.isVisible()) << i;
        for (int j = 0; j < i; ++j) {
            const vector3 other = h.game.getElement(h.game.getPlayer(j).shipID).getPosition();
            EXPECT_GT(std::hypot(ship.getPosition().x - other.x, ship.getPosition().y - other.y), 1.2f)
                << i << j;
        }
    }
    play::Client& first = *h.clients[0];
    first.input.fire = true;
    h.step();
    first.input.fire = false;
    const ZEBGameStateElement& ship = h.game.getElement(h.game.getPlayer(0).shipID);
    const ZEBGameStateElement& bullet = h.game.getElement(h.game.getPlayer(0).bulletIDs[1]);
    ASSERT_TRUE(bullet.isVisible());
    const float start = std::hypot(bullet.getPosition().x, bullet.getPosition().y);
    EXPECT_GT(start, std::hypot(ship.getPosition().x, ship.getPosition().y) + 0.5f); // ahead of the ship
    h.steps(5);
    EXPECT_GT(std::hypot(bullet.getPosition().x, bullet.getPosition().y), start); // flying outwards
    for (int i = 1; i < MAX_PLAYERS; ++i)
        EXPECT_TRUE(h.game.getElement(h.game.getPlayer(i).shipID).isVisible()) << i;
}
