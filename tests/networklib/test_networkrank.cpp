#include "networklib/networkrank.h"

#include <gtest/gtest.h>

namespace {

netGuid instance(uint8_t first) {
    netGuid guid;
    guid.bytes[0] = first;
    return guid;
}

networkGameStanding game(uint32_t players, uint32_t seconds, uint8_t id, bool dedicated = false,
                         bool staysPut = false) {
    networkGameStanding standing;
    standing.dedicated = dedicated;
    standing.staysPut = staysPut;
    standing.players = players;
    standing.maxPlayers = 8;
    standing.secondsHosted = seconds;
    standing.instance = instance(id);
    return standing;
}

} // namespace

// Of two games at most one moves, and to the one that ranks above it.
TEST(GameRank, TheSmallerYoungerOrHigherGameMovesAndNeverBoth) {
    const struct {
        const char* why;
        networkGameStanding own;
        networkGameStanding other;
        bool moves;
    } cases[] = {
        {"more players", game(2, 100, 1), game(3, 5, 9), true},
        {"fewer players", game(3, 5, 9), game(2, 100, 1), false},
        {"clearly older", game(3, 5, 1), game(3, 60, 9), true},
        {"ages within the margin: lower instance", game(3, 50, 9), game(3, 45, 1), true},
        {"ages within the margin: higher instance", game(3, 45, 1), game(3, 50, 9), false},
        {"the winner is full", game(3, 5, 9), game(8, 100, 1), false},
        {"the winner has one place", game(3, 5, 9), game(7, 100, 1), true},
        {"a dedicated server never moves", game(1, 5, 9, true), game(5, 100, 1), false},
        {"to a dedicated server", game(5, 100, 1), game(0, 5, 9, true), true},
        {"a game that stays put", game(1, 5, 9, false, true), game(5, 100, 1), false},
        {"to a game that stays put", game(5, 100, 1), game(1, 5, 9, false, true), true},
        {"a dedicated server above one that stays", game(3, 5, 1, false, true), game(1, 5, 9, true), false},
        {"two dedicated servers", game(1, 5, 9, true), game(5, 100, 1, true), false},
        {"the same game", game(3, 5, 1), game(3, 5, 1), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shouldMoveTo(c.own, c.other), c.moves) << c.why;
        EXPECT_FALSE(shouldMoveTo(c.own, c.other) && shouldMoveTo(c.other, c.own)) << c.why;
    }
}

// Ranking is a strict order on games of one kind: never both above each other.
TEST(GameRank, NoTwoGamesRankAboveEachOther) {
    for (uint32_t players = 0; players < 3; ++players)
        for (uint32_t seconds : {0u, 9u, 10u, 30u})
            for (uint8_t id : {1, 2}) {
                const networkGameStanding a = game(players, seconds, id);
                for (uint32_t otherPlayers = 0; otherPlayers < 3; ++otherPlayers)
                    for (uint32_t otherSeconds : {0u, 9u, 10u, 30u}) {
                        const networkGameStanding b = game(otherPlayers, otherSeconds, 3 - id);
                        EXPECT_FALSE(ranksAbove(a, b) && ranksAbove(b, a));
                        EXPECT_TRUE(ranksAbove(a, b) || ranksAbove(b, a));
                    }
            }
}
