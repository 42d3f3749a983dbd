#include "core/assertion.h"
#include "core/random.h"
#include "game/rules/protocol.h"

#include <gtest/gtest.h>

#include <vector>

// Random and mangled buffers go through the receive path and every reader.
// Buffers are allocated at their exact size, so the sanitizer build catches a
// read past the end; the checks below hold a reader to its layout.

namespace {

int g_reports = 0;

AssertionAnswer countReport(const char*, const char*) {
    ++g_reports;
    return AssertionAnswer::Debug;
}

int randomBelow(int limit) {
    return static_cast<int>((static_cast<long long>(random15()) * limit) / 32768);
}

std::vector<uint8_t> randomBytes(int length) {
    std::vector<uint8_t> bytes(length);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random15() & 0xFF);
    return bytes;
}

std::vector<uint8_t> validPayload(int kind) {
    ZEBGameStateElement ship;
    ship.initialise(2, vector3(1.0f, 2.0f, 0.0f), 30.0f, ZERO, 0.4f, TYPE_PLAYER, 0, WHITE, true);
    networkMessage message;
    switch (kind) {
    case 0:
        message = writeFullState(std::vector<ZEBGameStateElement>(3, ship), 2);
        break;
    case 1:
        message = writePlayerStats(std::vector<PlayerStats>(2));
        break;
    case 2:
        message = writeElementUpdate(ship);
        break;
    default:
        message = writeExplosion(Explosion());
        break;
    }
    return std::vector<uint8_t>(message.getData(), message.getData() + message.getDataSize());
}

// A buffer of one of three sorts: random, a valid payload cut short, or a
// valid payload with one byte of its header changed.
std::vector<uint8_t> nextBuffer() {
    switch (randomBelow(3)) {
    case 0:
        return randomBytes(randomBelow(260));
    case 1: {
        std::vector<uint8_t> bytes = validPayload(randomBelow(4));
        bytes.resize(randomBelow(static_cast<int>(bytes.size()) + 1));
        return bytes;
    }
    default: {
        std::vector<uint8_t> bytes = validPayload(randomBelow(4));
        bytes[randomBelow(8)] = static_cast<uint8_t>(random15());
        return bytes;
    }
    }
}

} // namespace

TEST(ProtocolFuzz, NothingReadsPastTheEndOrAcceptsTheWrongSize) {
    seedRandom(20261207);
    const AssertionHandler previous = setAssertionHandler(countReport);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::vector<uint8_t> buffer = nextBuffer();
        const uint8_t* data = buffer.empty() ? nullptr : buffer.data();
        const int size = static_cast<int>(buffer.size());

        networkMessage message;
        const int reportsBefore = g_reports;
        const bool received = message.setFromReceived(1, data, size);
        EXPECT_EQ(received, size >= 4);
        EXPECT_EQ(g_reports, reportsBefore);
        EXPECT_EQ(message.getDataSize(), received ? size - 4 : 0);

        JoinRequest join;
        ZEBGameStateElement element;
        ElementUpdate update;
        PlayerInput input;
        PartialRecord record;
        Explosion explosion;
        EXPECT_EQ(readJoinRequest(data, size, &join), size == JOIN_REQUEST_SIZE);
        EXPECT_EQ(readNewElement(data, size, &element), size == NEW_ELEMENT_SIZE);
        EXPECT_EQ(readPlayerInput(data, size, &input), size == PLAYER_INPUT_SIZE);
        EXPECT_EQ(readPlayerState(data, size, &record), size == PLAYER_STATE_SIZE);
        EXPECT_EQ(readExplosion(data, size, &explosion), size == EXPLOSION_SIZE);
        if (readElementUpdate(data, size, &update)) {
            EXPECT_EQ(size, ELEMENT_UPDATE_SIZE);
            EXPECT_EQ(update.record.getID(), update.elementID);
        }

        FullStateHeader header;
        std::vector<ZEBGameStateElement> elements;
        if (readFullState(data, size, &header, &elements)) {
            ++accepted;
            EXPECT_EQ(size, fullStateSize(header.count));
            EXPECT_EQ(static_cast<int>(elements.size()), header.count);
        } else {
            EXPECT_TRUE(elements.empty());
        }
        std::vector<PlayerStats> rows;
        if (readPlayerStats(data, size, &rows)) {
            ++accepted;
            EXPECT_EQ(size, playerStatsSize(static_cast<int>(rows.size())));
            for (const PlayerStats& row : rows)
                EXPECT_EQ(row.name[PLAYER_NAME_SIZE - 1], 0);
        }
    }
    setAssertionHandler(previous);
    EXPECT_GT(accepted, 0); // the mangled buffers include intact ones
}
