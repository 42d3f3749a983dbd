#include "game/rules/protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

ZEBGameStateElement element(int id, int type, bool visible) {
    ZEBGameStateElement e;
    e.initialise(id, vector3(0.5f * id, -1.0f * id, 0.0f), 10.0f * id, vector3(1.0f, 2.0f, 0.0f), 2.5f, type,
                 id % 3, colour4(0.5f, 0.6f, 0.7f, 1.0f), visible);
    return e;
}

// The element list of a game with three asteroid families and one player.
std::vector<ZEBGameStateElement> gameOfThreeFamilies() {
    std::vector<ZEBGameStateElement> elements;
    for (int i = 0; i < 21; ++i)
        elements.push_back(element(i, TYPE_ASTEROID, i % 7 == 0));
    elements.push_back(element(21, TYPE_PLAYER, true));
    elements.push_back(element(22, TYPE_BULLET, false));
    elements.push_back(element(23, TYPE_BULLET, false));
    return elements;
}

PlayerStats row(const char* name, int ship, int score) {
    PlayerStats stats;
    copyPlayerName(stats.name, name);
    stats.uniqueID = ship;
    stats.score = score;
    stats.colour = colour4(1.0f, 0.5f, 0.0f, 1.0f);
    return stats;
}

std::vector<uint8_t> payload(const networkMessage& message) {
    return std::vector<uint8_t>(message.getData(), message.getData() + message.getDataSize());
}

// Every proper prefix of a valid payload, and the payload with a byte too many,
// must be refused.
void expectTruncationsRefused(const std::vector<uint8_t>& valid,
                              const std::function<bool(const uint8_t*, int)>& read) {
    ASSERT_TRUE(read(valid.data(), static_cast<int>(valid.size())));
    for (size_t length = 0; length < valid.size(); ++length) {
        std::vector<uint8_t> cut(valid.begin(), valid.begin() + length); // exact size: ASan sees overreads
        EXPECT_FALSE(read(cut.empty() ? nullptr : cut.data(), static_cast<int>(length)))
            << "length " << length;
    }
    std::vector<uint8_t> longer(valid);
    longer.push_back(0);
    EXPECT_FALSE(read(longer.data(), static_cast<int>(longer.size())));
}

} // namespace

TEST(Protocol, TypeNumbers) {
    EXPECT_EQ(MSG_PLAYER_CREATED, 1);
    EXPECT_EQ(MSG_PLAYER_DESTROYED, 2);
    EXPECT_EQ(MSG_SESSION_TERMINATED, 3);
    EXPECT_EQ(MSG_JOIN_REQUEST, 5);
    EXPECT_EQ(MSG_FULL_STATE, 6);
    EXPECT_EQ(MSG_NEW_ELEMENT, 7);
    EXPECT_EQ(MSG_ELEMENT_UPDATE, 8);
    EXPECT_EQ(MSG_PLAYER_INPUT, 9);
    EXPECT_EQ(MSG_PLAYER_STATE, 10);
    EXPECT_EQ(MSG_PLAYER_STATS, 11);
    EXPECT_EQ(MSG_EXPLOSION, 12);
}

TEST(Protocol, EveryPayloadHasItsSize) {
    const ZEBGameStateElement ship = element(21, TYPE_PLAYER, true);
    const networkMessage full = writeFullState(gameOfThreeFamilies(), 21);
    EXPECT_EQ(full.getType(), MSG_FULL_STATE);
    EXPECT_EQ(full.getDataSize(), 1472);
    EXPECT_EQ(full.getWireSize(), 1476);
    EXPECT_EQ(writeJoinRequest("Player").getDataSize(), 32);
    EXPECT_EQ(writeNewElement(ship).getDataSize(), 61);
    EXPECT_EQ(writeElementUpdate(ship).getDataSize(), 37);
    EXPECT_EQ(writePlayerInput(PlayerInput()).getDataSize(), 5);
    EXPECT_EQ(writePlayerState(ship).getDataSize(), 33);
    EXPECT_EQ(writePlayerStats({row("Player", 21, 5), row("Other", 24, -10)}).getDataSize(), 116);
    EXPECT_EQ(writePlayerStats({}).getDataSize(), 4);
    EXPECT_EQ(writeExplosion(Explosion()).getDataSize(), 24);
}

TEST(Protocol, FullStateRoundTripAppends) {
    const std::vector<ZEBGameStateElement> source = gameOfThreeFamilies();
    const networkMessage message = writeFullState(source, 21);
    std::vector<ZEBGameStateElement> received(1); // not emptied by the reader
    FullStateHeader header;
    ASSERT_TRUE(readFullState(message.getData(), message.getDataSize(), &header, &received));
    EXPECT_EQ(header.count, 24);
    EXPECT_EQ(header.shipID, 21);
    ASSERT_EQ(received.size(), 25u);
    for (int i = 0; i < 24; ++i) {
        const ZEBGameStateElement& got = received[i + 1];
        EXPECT_EQ(got.getUniqueID(), i);
        EXPECT_EQ(got.getType(), source[i].getType());
        EXPECT_EQ(got.getPosition(), source[i].getPosition());
        EXPECT_EQ(got.isVisible(), source[i].isVisible());
    }
}

TEST(Protocol, FullStateCountMustMatchSize) {
    std::vector<uint8_t> bytes = payload(writeFullState(gameOfThreeFamilies(), 21));
    std::vector<ZEBGameStateElement> received;
    FullStateHeader header;
    for (int32_t count : {23, 25, -1, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)}) {
        std::memcpy(bytes.data(), &count, 4); // tests run on little-endian machines
        EXPECT_FALSE(readFullState(bytes.data(), static_cast<int>(bytes.size()), &header, &received))
            << count;
    }
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(header.count, 0);
}

TEST(Protocol, ElementUpdateRepeatsTheId) {
    const networkMessage message = writeElementUpdate(element(1234567, TYPE_ASTEROID, true));
    std::vector<uint8_t> bytes = payload(message);
    EXPECT_EQ(std::memcmp(bytes.data(), bytes.data() + 4, 4), 0);
    ElementUpdate update;
    ASSERT_TRUE(readElementUpdate(bytes.data(), 37, &update));
    EXPECT_EQ(update.elementID, 1234567);
    EXPECT_EQ(update.record.getID(), 1234567);
    ZEBGameStateElement target;
    target.setScale(3.0f);
    update.record.applyTo(&target);
    EXPECT_EQ(target.getUniqueID(), 1234567);
    EXPECT_EQ(target.getScale(), 3.0f);
    EXPECT_TRUE(target.isVisible());

    bytes[0] ^= 1; // ids that disagree would rename an element
    ElementUpdate untouched;
    EXPECT_FALSE(readElementUpdate(bytes.data(), 37, &untouched));
    EXPECT_EQ(untouched.elementID, 0);
}

TEST(Protocol, PlayerInputFlagsAreExactlyOne) {
    PlayerInput input;
    input.up = true;
    input.fire = true;
    const std::vector<uint8_t> bytes = payload(writePlayerInput(input));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 0, 0, 1}));
    const uint8_t odd[5] = {2, 1, 0xFF, 1, 0};
    PlayerInput read;
    ASSERT_TRUE(readPlayerInput(odd, 5, &read));
    EXPECT_FALSE(read.up);
    EXPECT_TRUE(read.down);
    EXPECT_FALSE(read.left);
    EXPECT_TRUE(read.right);
    EXPECT_FALSE(read.fire);
    read.clear();
    EXPECT_FALSE(read.down || read.right);
    EXPECT_EQ(PlayerInput::getSize(), 5);
}

TEST(Protocol, NamesAreTerminatedWithinTheirField) {
    const std::string longName(40, 'x');
    const std::vector<uint8_t> bytes = payload(writeJoinRequest(longName.c_str()));
    EXPECT_EQ(bytes[30], 'x');
    EXPECT_EQ(bytes[31], 0);
    JoinRequest request;
    ASSERT_TRUE(readJoinRequest(bytes.data(), 32, &request));
    EXPECT_EQ(std::string(request.name), std::string(31, 'x'));

    std::vector<uint8_t> unterminated(32, 'y'); // a sender that left out the terminator
    unterminated[5] = 0;
    unterminated[31] = 'z';
    ASSERT_TRUE(readJoinRequest(unterminated.data(), 32, &request));
    EXPECT_EQ(std::string(request.name), "yyyyy");
    std::fill(unterminated.begin(), unterminated.end(), 'q');
    ASSERT_TRUE(readJoinRequest(unterminated.data(), 32, &request));
    EXPECT_EQ(std::string(request.name), std::string(31, 'q'));
}

TEST(Protocol, StatsRowsRoundTrip) {
    const networkMessage message =
        writePlayerStats({row("Player", 21, 5), row("Player [Disconnected]", 24, -10)});
    std::vector<PlayerStats> rows(5, row("old", 1, 1));
    ASSERT_TRUE(readPlayerStats(message.getData(), message.getDataSize(), &rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_STREQ(rows[1].name, "Player [Disconnected]");
    EXPECT_EQ(rows[1].uniqueID, 24);
    EXPECT_EQ(rows[1].score, -10);
    EXPECT_EQ(rows[0].colour, colour4(1.0f, 0.5f, 0.0f, 1.0f));

    std::vector<uint8_t> bytes = payload(message);
    bytes[0] = 3;
    EXPECT_FALSE(readPlayerStats(bytes.data(), static_cast<int>(bytes.size()), &rows));
    EXPECT_EQ(rows.size(), 2u);
}

TEST(Protocol, SmallPayloadsRoundTrip) {
    Explosion explosion;
    explosion.elementID = 22;
    explosion.duration = 0.1f;
    explosion.position = vector3(-3.0f, 4.5f, 0.0f);
    explosion.rotation = -270.0f;
    const networkMessage boom = writeExplosion(explosion);
    Explosion read;
    ASSERT_TRUE(readExplosion(boom.getData(), boom.getDataSize(), &read));
    EXPECT_EQ(read.elementID, 22);
    EXPECT_EQ(read.duration, 0.1f);
    EXPECT_EQ(read.position, explosion.position);
    EXPECT_EQ(read.rotation, -270.0f);

    const ZEBGameStateElement ship = element(5, TYPE_PLAYER, true);
    const networkMessage state = writePlayerState(ship);
    PartialRecord record;
    ASSERT_TRUE(readPlayerState(state.getData(), state.getDataSize(), &record));
    EXPECT_EQ(record.getID(), 5);
    ZEBGameStateElement added;
    const networkMessage fresh = writeNewElement(ship);
    ASSERT_TRUE(readNewElement(fresh.getData(), fresh.getDataSize(), &added));
    EXPECT_EQ(added.getRotation(), 50.0f);
}

TEST(Protocol, ReadersRefuseEveryTruncation) {
    const ZEBGameStateElement ship = element(21, TYPE_PLAYER, true);
    JoinRequest join;
    FullStateHeader header;
    std::vector<ZEBGameStateElement> elements;
    ZEBGameStateElement single;
    ElementUpdate update;
    PlayerInput input;
    PartialRecord record;
    std::vector<PlayerStats> rows;
    Explosion explosion;
    using Bytes = const uint8_t*;
    expectTruncationsRefused(payload(writeJoinRequest("Player")),
                             [&](Bytes d, int s) { return readJoinRequest(d, s, &join); });
    expectTruncationsRefused(payload(writeFullState(gameOfThreeFamilies(), 21)), [&](Bytes d, int s) {
        elements.clear();
        return readFullState(d, s, &header, &elements);
    });
    expectTruncationsRefused(payload(writeFullState({}, 0)),
                             [&](Bytes d, int s) { return readFullState(d, s, &header, &elements); });
    expectTruncationsRefused(payload(writeNewElement(ship)),
                             [&](Bytes d, int s) { return readNewElement(d, s, &single); });
    expectTruncationsRefused(payload(writeElementUpdate(ship)),
                             [&](Bytes d, int s) { return readElementUpdate(d, s, &update); });
    expectTruncationsRefused(payload(writePlayerInput(input)),
                             [&](Bytes d, int s) { return readPlayerInput(d, s, &input); });
    expectTruncationsRefused(payload(writePlayerState(ship)),
                             [&](Bytes d, int s) { return readPlayerState(d, s, &record); });
    expectTruncationsRefused(payload(writePlayerStats({row("a", 1, 2), row("b", 3, 4)})),
                             [&](Bytes d, int s) { return readPlayerStats(d, s, &rows); });
    expectTruncationsRefused(payload(writeExplosion(Explosion())),
                             [&](Bytes d, int s) { return readExplosion(d, s, &explosion); });
}
