// Players coming and going all evening: places are freed and taken over, a
// full game refuses, idle connections are dropped, and a stalled host does not
// jump.

#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <cmath>

using play::FRAME;

namespace {

std::vector<PlayerRefusal> refusalsOf(ZEBHostedGameState& game) {
    std::vector<PlayerRefusal> refusals;
    game.takeRefusals(refusals);
    return refusals;
}

} // namespace

TEST(Places, FiftyComingAndGoingThenTwoNewcomersEachGetTheirOwnShip) {
    play::Harness h(1, 11u);
    uint32_t nextID = 1;
    for (int cycle = 0; cycle < 50; ++cycle) {
        play::Client& client = h.addClient(nextID++, "Visitor");
        ASSERT_TRUE(h.joinAll()) << cycle;
        h.disconnect(client);
        h.step();
    }
    EXPECT_EQ(h.game.getPlayerCount(), MAX_PLAYERS);
    EXPECT_EQ(h.game.getElementCount(), ELEMENTS_PER_FAMILY + 3 * MAX_PLAYERS);
    EXPECT_EQ(h.game.getConnectedPlayerCount(), 0);

    h.parkAsteroids(); // nothing keeps the newcomers from appearing
    play::Client& first = h.addClient(nextID++, "Ann");
    play::Client& second = h.addClient(nextID++, "Bob");
    ASSERT_TRUE(h.joinAll());
    h.steps(5);
    const int firstShip = first.collector.getOwnIndex();
    const int secondShip = second.collector.getOwnIndex();
    EXPECT_NE(firstShip, secondShip);
    EXPECT_EQ(h.game.getElementCount(), ELEMENTS_PER_FAMILY + 3 * MAX_PLAYERS);
    for (const play::Client* client : {&first, &second}) {
        const PlayerRecord& place = h.game.getPlayer(h.playerIndex(*client));
        EXPECT_TRUE(place.connected);
        EXPECT_EQ(place.score, 0);
        EXPECT_TRUE(h.game.getElement(place.shipID).isVisible());
        // Both see the other's ship at its place.
        EXPECT_TRUE(client->collector.getElementState(firstShip).isVisible());
        EXPECT_TRUE(client->collector.getElementState(secondShip).isVisible());
    }
    EXPECT_STREQ(h.game.getPlayer(h.playerIndex(first)).name, "Ann");
    EXPECT_STREQ(h.game.getPlayer(h.playerIndex(second)).name, "Bob");
    EXPECT_EQ(h.game.getConnectedPlayerCount(), 2);
}

TEST(Places, ANinthConnectedPlayerIsRefusedAndALeaveMakesRoom) {
    play::Harness h(1, 12u);
    std::vector<play::Client*> players;
    for (uint32_t id = 1; id <= MAX_PLAYERS; ++id)
        players.push_back(&h.addClient(id));
    ASSERT_TRUE(h.joinAll());
    refusalsOf(h.game);

    play::Client& ninth = h.addClient(9);
    h.steps(3); // it asks every frame
    EXPECT_FALSE(ninth.collector.hasJoined());
    const std::vector<PlayerRefusal> refusals = refusalsOf(h.game);
    ASSERT_EQ(refusals.size(), 1u); // once, however often it asks
    EXPECT_EQ(refusals[0].playerID, 9u);
    EXPECT_EQ(refusals[0].reason, refusalReason::gameFull);
    EXPECT_EQ(h.game.getPlayerCount(), MAX_PLAYERS);

    h.disconnect(*players[3]);
    h.disconnect(ninth); // the transport dropped it
    play::Client& tenth = h.addClient(10, "Tenth");
    ASSERT_TRUE(h.joinAll());
    EXPECT_EQ(h.game.getPlayer(3).score, 0);
    EXPECT_STREQ(h.game.getPlayer(3).name, "Tenth");
    EXPECT_EQ(tenth.collector.getOwnIndex(), h.game.getPlayer(3).shipID);
    EXPECT_TRUE(refusalsOf(h.game).empty());
}

TEST(Places, AConnectionThatNeverAsksToJoinIsDropped) {
    play::Harness h(1, 13u);
    h.connect(5); // stays silent
    h.connect(6); // joins in time
    h.addClient(6);
    const int framesToLimit = static_cast<int>(JOIN_WAIT_LIMIT / FRAME);
    h.steps(framesToLimit - 5);
    EXPECT_TRUE(refusalsOf(h.game).empty());
    h.steps(10);
    const std::vector<PlayerRefusal> refusals = refusalsOf(h.game);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].playerID, 5u);
    EXPECT_EQ(refusals[0].reason, refusalReason::noJoinRequest);

    // A stalled host's long step counts only as its capped share.
    h.connect(7);
    for (int i = 0; i < static_cast<int>(JOIN_WAIT_LIMIT / MAX_TICK_STEP) - 1; ++i)
        h.step(60.0f);
    EXPECT_TRUE(refusalsOf(h.game).empty());
}

TEST(Places, NoTickAdvancesByMoreThanAQuarterSecond) {
    for (const float stalled : {10.0f, 1e30f, INFINITY, std::nanf("")}) {
        play::Harness h(1, 15u);
        const ZEBGameStateElement before = h.game.getElement(0);
        messageQueue none;
        messageQueue out;
        h.game.tick(stalled, h.shapes, none, out);
        EXPECT_FLOAT_EQ(h.game.getStatsCountdown(), STATS_INTERVAL - MAX_TICK_STEP) << stalled;
        ZEBGameStateElement moved = before;
        moved.update(MAX_TICK_STEP);
        vector3 expected = moved.getPosition();
        wrapPlayArea(expected);
        EXPECT_FLOAT_EQ(h.game.getElement(0).getPosition().x, expected.x) << stalled;
        EXPECT_FLOAT_EQ(h.game.getElement(0).getPosition().y, expected.y) << stalled;
    }
}

// A game that goes on from a lost one keeps its players' places: each joiner
// named in the last table takes the first place kept under its name, with
// its colour and score; who had left keeps nothing, newcomers get new places.
TEST(Places, AGameGoingOnFromALostOneKeepsPlacesColoursAndScoresByName) {
    play::Harness before(1, 21u);
    const char* names[] = {"Ann", "Bob", "Ann", "Dan"};
    std::vector<play::Client*> clients;
    for (uint32_t i = 0; i < 4; ++i)
        clients.push_back(&before.addClient(i + 1, names[i]));
    ASSERT_TRUE(before.joinAll());
    for (int i = 0; i < 4; ++i)
        playerOf(before.game, i).score = 10 * (i + 1);
    before.disconnect(*clients[3]);
    before.step();
    std::vector<PlayerStats> table;
    const networkMessage stats = before.game.writeStats();
    ASSERT_TRUE(readPlayerStats(stats.getData(), stats.getDataSize(), &table));

    play::Harness after(1, 22u);
    after.game.reservePlaces(table);
    EXPECT_EQ(after.game.getPlayerCount(), 3); // Dan had left
    EXPECT_EQ(after.game.getConnectedPlayerCount(), 0);
    std::vector<PlayerStats> shown;
    ASSERT_TRUE(
        readPlayerStats(after.game.writeStats().getData(), after.game.writeStats().getDataSize(), &shown));
    EXPECT_TRUE(shown.empty()); // kept places show once their players are back

    struct joiner {
        const char* name;
        int formerPlace; // -1: a new place
    };
    const joiner joiners[] = {{"Bob", 1}, {"Ann", 0}, {"Eve", -1}, {"Ann", 2}};
    uint32_t id = 100;
    for (const joiner& j : joiners) {
        play::Client& client = after.addClient(id++, j.name);
        ASSERT_TRUE(after.joinAll()) << j.name;
        const PlayerRecord& place = after.game.getPlayer(after.playerIndex(client));
        const colour4& colour = after.game.getElement(place.shipID).getColour();
        if (j.formerPlace < 0) {
            EXPECT_EQ(after.playerIndex(client), 3);
            EXPECT_EQ(place.score, 0);
            for (const PlayerStats& row : table)
                EXPECT_FALSE(row.colour == colour) << j.name;
        } else {
            EXPECT_EQ(after.playerIndex(client), j.formerPlace) << j.name;
            EXPECT_EQ(place.score, table[j.formerPlace].score) << j.name;
            EXPECT_TRUE(colour == table[j.formerPlace].colour) << j.name;
        }
    }
}

// Everybody "Player", as by default: each copy that says which row of the
// last table was its own finds that row's place and score (a copy that says
// nothing, built to the design alone, takes the first kept under its name),
// and a newcomer is never given a kept place: it gets a free one, or is
// turned away while only kept places are left, until they have waited their time.
TEST(Places, AKeptPlaceGoesOnlyToItsOwnerTellingItsRow) {
    play::Harness before(1, 23u);
    for (uint32_t i = 0; i < 4; ++i)
        before.addClient(i + 1);
    ASSERT_TRUE(before.joinAll());
    for (int i = 0; i < 4; ++i)
        playerOf(before.game, i).score = 10 * (i + 1);
    std::vector<PlayerStats> table;
    const networkMessage stats = before.game.writeStats();
    ASSERT_TRUE(readPlayerStats(stats.getData(), stats.getDataSize(), &table));
    ASSERT_EQ(table.size(), 4u);

    play::Harness after(1, 24u);
    after.game.reservePlaces(table);
    uint32_t id = 100;
    const auto join = [&](const char* name, int formerRow) -> play::Client& {
        play::Client& client = after.addClient(id++, name);
        client.collector.setFormerRow(formerRow);
        after.steps(3);
        return client;
    };
    // Rows 2 and 0 come back; four newcomers fill the free places.
    for (const int row : {2, 0}) {
        const play::Client& back = join("Player", row);
        ASSERT_TRUE(back.collector.hasJoined()) << row;
        EXPECT_EQ(after.game.getPlayer(after.playerIndex(back)).score, table[static_cast<size_t>(row)].score);
        EXPECT_EQ(after.playerIndex(back), row);
    }
    for (const char* name : {"Eve", "Fay", "Gus", "Ivy"}) {
        const play::Client& newcomer = join(name, -1);
        ASSERT_TRUE(newcomer.collector.hasJoined()) << name;
        EXPECT_EQ(after.game.getPlayer(after.playerIndex(newcomer)).score, 0) << name;
        EXPECT_GE(after.playerIndex(newcomer), 4) << name;
    }
    refusalsOf(after.game);
    // Only the places of rows 1 and 3 are left: a newcomer, and a copy
    // whose row was another, are turned away.
    for (const int row : {-1, 5}) {
        play::Client& turnedAway = join(row < 0 ? "Zed" : "Player", row);
        EXPECT_FALSE(turnedAway.collector.hasJoined()) << row;
        const std::vector<PlayerRefusal> refusals = refusalsOf(after.game);
        ASSERT_EQ(refusals.size(), 1u) << row;
        EXPECT_EQ(refusals[0].reason, refusalReason::gameFull);
        after.disconnect(turnedAway); // the transport drops it
    }
    const play::Client& third = join("Player", 3);
    ASSERT_TRUE(third.collector.hasJoined());
    EXPECT_EQ(after.game.getPlayer(after.playerIndex(third)).score, 40);

    // Row 1 never comes: once its wait is over, its place is a newcomer's, with 0.
    after.steps(static_cast<int>(KEPT_PLACE_LIMIT / FRAME) + 1);
    const play::Client& late = join("Hal", -1);
    ASSERT_TRUE(late.collector.hasJoined());
    EXPECT_EQ(after.playerIndex(late), 1);
    EXPECT_EQ(after.game.getPlayer(1).score, 0);
}

// A smaller game moves here: its host's copy brings that game's table before
// it joins, and each of its players finds its score again, in its own colour
// where this game has not given it, while this game expects such a move;
// at another time the table is ignored.
TEST(Places, AMovingGamesPlayersKeepTheirScoresInTheBiggerGame) {
    play::Harness smaller(1, 25u);
    for (uint32_t i = 0; i < 3; ++i)
        smaller.addClient(i + 1);
    ASSERT_TRUE(smaller.joinAll());
    for (int i = 0; i < 3; ++i)
        playerOf(smaller.game, i).score = 7 * (i + 1);
    std::vector<PlayerStats> table;
    const networkMessage stats = smaller.game.writeStats();
    ASSERT_TRUE(readPlayerStats(stats.getData(), stats.getDataSize(), &table));
    ASSERT_EQ(table.size(), 3u);

    for (const bool expected : {false, true}) {
        play::Harness bigger(1, 26u);
        bigger.addClient(50, "Ann");
        bigger.addClient(51, "Bob");
        ASSERT_TRUE(bigger.joinAll());
        bigger.game.setTakingMovingGames(expected);
        const auto colourOf = [&](int place) {
            return bigger.game.getElement(bigger.game.getPlayer(place).shipID).getColour();
        };
        const colour4 taken[] = {colourOf(0), colourOf(1)};
        uint32_t id = 100;
        for (const size_t row : {1u, 0u, 2u}) { // the host first: it brings the table
            play::Client& mover = bigger.addClient(id++);
            mover.collector.setFormerRow(static_cast<int>(row));
            if (row == 1)
                mover.collector.bringPlaces(table);
            bigger.connect(mover.playerID);
            ASSERT_TRUE(bigger.joinAll());
            const PlayerRecord& place = bigger.game.getPlayer(bigger.playerIndex(mover));
            EXPECT_EQ(place.score, expected ? table[row].score : 0) << row;
            const bool colourFree = !(table[row].colour == taken[0]) && !(table[row].colour == taken[1]);
            if (expected && colourFree) {
                EXPECT_TRUE(bigger.game.getElement(place.shipID).getColour() == table[row].colour) << row;
            }
        }
        EXPECT_EQ(bigger.game.getConnectedPlayerCount(), 5);
    }
}
