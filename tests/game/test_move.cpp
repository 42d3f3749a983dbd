// A game that moves to a bigger one: the copies that understand are told
// where, the copies that know only the design's messages are told nothing.

#include "tests/game/playharness.h"

#include <gtest/gtest.h>

using play::Client;
using play::Harness;

TEST(GameMoves, OnlyTheCopiesThatUnderstandAreToldWhereOnce) {
    Harness h(1);
    Client& ann = h.addClient(1, "Ann");
    Client& design = h.addClient(2, "Old");
    design.strict = true;
    h.connect(1);
    h.connect(2);
    ASSERT_TRUE(h.joinAll());
    h.step(); // what the host shares has arrived
    messageQueue toSend;
    h.game.tellGameMove(GameMove{0xC6120104, 27351}, toSend);
    h.hostSends(toSend);
    h.step();
    GameMove move;
    ASSERT_TRUE(ann.collector.takeGameMove(move));
    EXPECT_EQ(move.host, 0xC6120104u);
    EXPECT_EQ(move.port, 27351);
    EXPECT_FALSE(ann.collector.takeGameMove(move)); // once
    EXPECT_FALSE(design.collector.takeGameMove(move));
    for (const networkMessage& seen : design.seen)
        EXPECT_NE(seen.getType(), MSG_GAME_MOVES);
}

TEST(GameMoves, AMoveReadsBackAndDamageIsRefused) {
    const networkMessage written = writeGameMove(GameMove{0x7F000001, 41000});
    ASSERT_EQ(written.getDataSize(), GAME_MOVE_SIZE);
    GameMove read;
    ASSERT_TRUE(readGameMove(written.getData(), written.getDataSize(), &read));
    EXPECT_EQ(read.host, 0x7F000001u);
    EXPECT_EQ(read.port, 41000);
    GameMove untouched;
    EXPECT_FALSE(readGameMove(written.getData(), written.getDataSize() - 1, &untouched));
    EXPECT_FALSE(readGameMove(nullptr, GAME_MOVE_SIZE, &untouched));
    for (const GameMove zero : {GameMove{0, 41000}, GameMove{0x7F000001, 0}}) {
        const networkMessage bad = writeGameMove(zero);
        EXPECT_FALSE(readGameMove(bad.getData(), bad.getDataSize(), &untouched));
    }
    EXPECT_EQ(untouched.host, 0u);
}
