// The server game on its own: joining and leaving, the checks on what players
// send, the simulation's edge cases and the broadcast schedule.

#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using play::FRAME;
using play::received;

namespace {

constexpr uint32_t RANDOM_MULTIPLIER = 214013u;
constexpr uint32_t RANDOM_INCREMENT = 2531011u;

// The generator state from which the next `draws` values end with a draw of RANDOM_MAX.
uint32_t stateBeforeMaximum(int draws) {
    uint32_t inverse = RANDOM_MULTIPLIER; // Newton's iteration for the inverse modulo 2^32
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - RANDOM_MULTIPLIER * inverse;
    uint32_t state = 0x7FFF0000u;
    for (int i = 0; i < draws; ++i)
        state = (state - RANDOM_INCREMENT) * inverse;
    return state;
}

struct Server {
    explicit Server(int families, uint32_t seed = 5u) : shapes(play::makeShapes()) {
        seedRandom(seed);
        game.setAsteroids(families, 1.0f);
        game.sortObjects(shapes);
        game.createAsteroids();
    }

    void tick(float dt) {
        out.clear();
        messageQueue toSend;
        game.tick(dt, shapes, in, events, toSend);
        events.clear();
        while (toSend.hasMessages())
            out.push_back(toSend.pop());
    }

    // Asteroids at rest in a corner, away from the ships at the centre.
    void park() {
        for (int id = 0; id < game.getElementCount(); ++id) {
            if (game.getElement(id).getType() != TYPE_ASTEROID)
                continue;
            elementOf(game, id).setPosition(vector3(-6.0f, -6.0f, 0.0f));
            elementOf(game, id).setVelocity(ZERO);
        }
    }

    void send(uint32_t from, const networkMessage& message) { in.push(received(message, from)); }
    void join(uint32_t from, const char* name = "Player") { send(from, writeJoinRequest(name)); }
    // The transport reports the player gone, after what it sent so far.
    void leave(uint32_t player) {
        events.push_back({networkEventKind::playerLeft, player, NET_REASON_NORMAL, in.size()});
    }

    void sendState(uint32_t from, const ZEBGameStateElement& ship) { send(from, writePlayerState(ship)); }

    std::vector<int> types() const {
        std::vector<int> result;
        for (const networkMessage& message : out)
            result.push_back(message.getType());
        return result;
    }

    std::vector<ZEBObject> shapes;
    ZEBHostedGameState game;
    messageQueue in;
    std::vector<networkEvent> events;
    std::vector<networkMessage> out;
};

networkMessage raw(int type, const std::vector<uint8_t>& payload) {
    return networkMessage(type, payload.data(), static_cast<int>(payload.size()));
}

int updateID(const networkMessage& message) {
    ElementUpdate update;
    return readElementUpdate(message.getData(), message.getDataSize(), &update) ? update.elementID : -1;
}

} // namespace

TEST(ServerSetup, ColoursShapesAndFamilies) {
    Server s(3);
    EXPECT_EQ(s.game.getPlayerColour(0), colour4(0.65f, 0.3f, 1.0f, 1.0f));
    EXPECT_EQ(s.game.getPlayerColour(7), colour4(0.85f, 0.25f, 0.65f, 1.0f));
    ASSERT_EQ(s.game.getElementCount(), 3 * ELEMENTS_PER_FAMILY);
    for (int family = 0; family < 3; ++family) {
        const int n = family * ELEMENTS_PER_FAMILY;
        const ZEBGameStateElement& large = s.game.getElement(n);
        EXPECT_TRUE(large.isVisible());
        EXPECT_EQ(large.getScale(), LARGE_ASTEROID_SCALE);
        EXPECT_EQ(large.getNumChildren(), 2);
        EXPECT_EQ(large.getChild(0), n + 1);
        EXPECT_EQ(s.game.getElement(n + 2).getChild(1), n + 6);
        for (int i = 1; i < ELEMENTS_PER_FAMILY; ++i) {
            const ZEBGameStateElement& piece = s.game.getElement(n + i);
            EXPECT_FALSE(piece.isVisible());
            EXPECT_EQ(piece.getUniqueID(), n + i);
            EXPECT_EQ(piece.getPosition(), large.getPosition());
            EXPECT_EQ(piece.getColour(), large.getColour());
            EXPECT_EQ(piece.getScale(), i < 3 ? MEDIUM_ASTEROID_SCALE : SMALL_ASTEROID_SCALE);
            float speed = 0.0f;
            magnitude(&piece.getVelocity(), &speed);
            EXPECT_NEAR(speed, 1.0f / (2.0f * piece.getScale()), 1e-5f); // smaller pieces are faster
            const int shape = piece.getObjectID();
            EXPECT_TRUE(shape == play::SQUARE_ASTEROID || shape == play::HEXAGON_ASTEROID);
        }
    }
}

TEST(ServerSetup, FamilyDrawsFollowTheStatedOrder) {
    seedRandom(77u);
    const double rotation = (random15() / 32767.0 - 0.5) * 360.0 * 2.0;
    vector3 colour;
    colour.randomise(0.5f, 0.75f);
    vector3 position;
    position.randomise(-10.0f, 10.0f);
    vector3 direction;
    direction.randomise(-1.0f, 1.0f);
    direction.z = 0.0f;
    direction.normalise();
    const int shape = static_cast<int>(random15() / 32767.0 * 2);

    Server s(1, 77u);
    const ZEBGameStateElement& large = s.game.getElement(0);
    EXPECT_EQ(large.getRotation(), static_cast<float>(rotation));
    EXPECT_EQ(large.getColour(), colour4(colour.x, colour.y, colour.z, 1.0f));
    EXPECT_EQ(large.getPosition(), vector3(position.x, position.y, 0.0f));
    EXPECT_EQ(large.getVelocity(), direction);
    EXPECT_EQ(large.getObjectID(), play::SQUARE_ASTEROID + shape);
}

TEST(ServerSetup, ADrawOfTheMaximumTakesTheLastShapeAndColour) {
    // The shape is the eleventh draw of a family.
    std::vector<ZEBObject> shapes = play::makeShapes();
    ZEBHostedGameState game;
    game.setAsteroids(1, 1.0f);
    game.sortObjects(shapes);
    seedRandom(stateBeforeMaximum(11));
    game.createAsteroids();
    EXPECT_EQ(game.getElement(0).getObjectID(), play::HEXAGON_ASTEROID);

    seedRandom(stateBeforeMaximum(1));
    game.addPlayer(1, "Player");
    EXPECT_EQ(game.getElement(game.getPlayer(0).shipID).getColour(), game.getPlayerColour(7));
    EXPECT_TRUE(game.isColourUsed(7));
}

TEST(ServerWrap, OrdinaryValuesStepByTwentyAndFarValuesComeBackAtOnce) {
    EXPECT_EQ(wrapPlayArea(-10.0f), -10.0f);
    EXPECT_EQ(wrapPlayArea(10.0f), -10.0f);
    EXPECT_EQ(wrapPlayArea(31.0f), -9.0f);
    EXPECT_FLOAT_EQ(wrapPlayArea(10.1f), -9.9f);
    EXPECT_EQ(wrapPlayArea(-30.0f), -10.0f);
    for (float value = -170.0f; value < 170.0f; value += 0.37f) {
        float loop = value;
        while (loop < -10.0f)
            loop += 20.0f;
        while (loop >= 10.0f)
            loop -= 20.0f;
        ASSERT_EQ(wrapPlayArea(value), loop) << value;
    }
    for (const float far : {1e9f, -1e9f, 1e30f, -1e30f, std::numeric_limits<float>::max(), 12345.5f}) {
        const float wrapped = wrapPlayArea(far);
        EXPECT_TRUE(wrapped >= -10.0f && wrapped < 10.0f) << far;
    }
    EXPECT_NEAR(wrapPlayArea(12345.5f), 5.5f, 1e-3f);
    EXPECT_TRUE(std::isnan(wrapPlayArea(std::nanf(""))));
    EXPECT_TRUE(std::isinf(wrapPlayArea(std::numeric_limits<float>::infinity())));

    vector3 position(31.0f, -10.0f, 50.0f);
    EXPECT_TRUE(wrapPlayArea(position));
    EXPECT_EQ(position, vector3(-9.0f, -10.0f, 50.0f));
    EXPECT_FALSE(wrapPlayArea(position));
}

TEST(ServerJoin, RefusesRepeatsFullGamesShortRequestsAndReadsUnterminatedNames) {
    Server s(0);
    s.join(1);
    s.join(1); // repeated every frame until answered
    s.tick(0.0f);
    EXPECT_EQ(s.game.getPlayerCount(), 1);
    EXPECT_EQ(s.out[0].getDestination(), 1u);

    std::vector<uint8_t> shortRequest(JOIN_REQUEST_SIZE - 1, 'A');
    s.send(2, raw(MSG_JOIN_REQUEST, shortRequest));
    s.tick(0.0f);
    EXPECT_EQ(s.game.getPlayerCount(), 1);

    std::vector<uint8_t> unterminated(JOIN_REQUEST_SIZE, 'B');
    s.send(2, raw(MSG_JOIN_REQUEST, unterminated)); // the short request did not lock id 2 out
    s.tick(0.0f);
    ASSERT_EQ(s.game.getPlayerCount(), 2);
    EXPECT_EQ(std::string(s.game.getPlayer(1).name), std::string(31, 'B'));

    for (uint32_t id = 3; id <= 9; ++id)
        s.join(id);
    s.tick(0.0f);
    EXPECT_EQ(s.game.getPlayerCount(), MAX_PLAYERS);
    EXPECT_EQ(s.game.getElementCount(), 3 * MAX_PLAYERS);
}

// A name reaches the table, and so every player and the host's output, only
// as every copy would show it.
TEST(ServerJoin, NamesAreMadeSafeWhereTheyEnter) {
    const struct {
        const char* sent;
        const char* kept;
    } rows[] = {{"\xE2\x80\xAE"
                 "evil",
                 "?evil"},
                {"\x1B[2J\x07"
                 "bell",
                 "?[2J?bell"},
                {"a\nb\rc\x7F"
                 "d",
                 "a?b?c?d"},
                {"\xC2\x85"
                 "next",
                 "?next"},
                {"ok\xFF"
                 "rest",
                 "ok"},
                {"Zo\xC3\xAB", "Zo\xC3\xAB"}};
    Server s(0);
    uint32_t id = 1;
    for (const auto& row : rows)
        s.join(id++, row.sent);
    s.tick(0.0f);
    ASSERT_EQ(s.game.getPlayerCount(), static_cast<int>(std::size(rows)));
    for (int i = 0; i < s.game.getPlayerCount(); ++i)
        EXPECT_STREQ(s.game.getPlayer(i).name, rows[i].kept) << rows[i].sent;
}

TEST(ServerJoin, MessagesFromUnknownPlayersAreDroppedAndDoNotLockThemOut) {
    Server s(1);
    const vector3 before = s.game.getElement(0).getPosition();
    ZEBGameStateElement ghost;
    ghost.initialise(0, vector3(1.0f, 2.0f, 0.0f), 0.0f, ZERO, 1.0f, TYPE_PLAYER, 0, WHITE, true);
    PlayerInput fire;
    fire.fire = true;
    s.send(4, writePlayerInput(fire));
    s.sendState(4, ghost);
    s.leave(4);
    s.tick(0.0f);
    EXPECT_EQ(s.game.getPlayerCount(), 0);
    EXPECT_EQ(s.game.getElement(0).getPosition(), before);
    EXPECT_EQ(s.out.size(), 0u);

    s.join(4);
    s.tick(0.0f);
    EXPECT_EQ(s.game.getPlayerCount(), 1);
}

TEST(ServerJoin, InputAndStateChangeOnlyTheSendersRecordAndShip) {
    Server s(1);
    s.park();
    s.join(1);
    s.join(2);
    s.tick(0.0f);
    const int ship1 = s.game.getPlayer(0).shipID;
    const int ship2 = s.game.getPlayer(1).shipID;

    ZEBGameStateElement state = s.game.getElement(ship2);
    state.setPosition(vector3(3.0f, 4.0f, 0.0f));
    state.setRotation(45.0f);
    s.sendState(2, state);
    s.send(2, raw(MSG_PLAYER_INPUT, {1, 0, 1, 2, 1})); // a byte other than 1 is false
    s.tick(0.0f);
    EXPECT_EQ(s.game.getElement(ship2).getPosition(), vector3(3.0f, 4.0f, 0.0f));
    EXPECT_EQ(s.game.getElement(ship2).getRotation(), 45.0f);
    EXPECT_EQ(s.game.getElement(ship1).getPosition(), s.game.spawnPoint(0));
    const PlayerInput& input = s.game.getPlayer(1).input;
    EXPECT_TRUE(input.up && input.left && input.fire);
    EXPECT_FALSE(input.down || input.right);
    EXPECT_FALSE(s.game.getPlayer(0).input.fire);
}

TEST(ServerJoin, ShipStatesThatAreNotTheSendersOrNotFiniteAreDropped) {
    Server s(1);
    s.park();
    s.join(1);
    s.join(2);
    s.tick(0.0f);
    const int ship1 = s.game.getPlayer(0).shipID;
    const int ship2 = s.game.getPlayer(1).shipID;

    ZEBGameStateElement other = s.game.getElement(ship2);
    other.setPosition(vector3(5.0f, 5.0f, 0.0f));
    s.sendState(1, other); // player 1 names player 2's ship
    const float bad[] = {std::nanf(""), std::numeric_limits<float>::infinity()};
    for (const float value : bad) {
        ZEBGameStateElement own = s.game.getElement(ship1);
        own.setPosition(vector3(value, 0.0f, 0.0f));
        s.sendState(1, own);
        own = s.game.getElement(ship1);
        own.setRotation(value);
        s.sendState(1, own);
        own = s.game.getElement(ship1);
        own.setVelocity(vector3(0.0f, 0.0f, value));
        s.sendState(1, own);
    }
    s.send(1, raw(MSG_PLAYER_STATE, std::vector<uint8_t>(PLAYER_STATE_SIZE - 1, 0)));
    s.tick(0.0f);
    EXPECT_EQ(s.game.getElement(ship2).getPosition(), s.game.spawnPoint(1));
    EXPECT_EQ(s.game.getElement(ship1).getPosition(), s.game.spawnPoint(0));
    EXPECT_EQ(s.game.getElement(ship1).getRotation(), 0.0f);
    EXPECT_EQ(s.game.getElement(ship1).getVelocity(), ZERO);

    // A position far away comes back into the area in one tick.
    ZEBGameStateElement far = s.game.getElement(ship1);
    far.setPosition(vector3(1e30f, -1e9f, 0.0f));
    s.sendState(1, far);
    s.tick(FRAME);
    const vector3& p = s.game.getElement(ship1).getPosition();
    EXPECT_TRUE(p.x >= -10.0f && p.x < 10.0f && p.y >= -10.0f && p.y < 10.0f);
}

TEST(ServerJoin, AStaleStateDoesNotReviveADestroyedShip) {
    Server s(1);
    s.park();
    s.join(1);
    s.tick(0.0f);
    const int ship = s.game.getPlayer(0).shipID;
    ZEBGameStateElement stale = s.game.getElement(ship); // visible, as the client last knew it
    stale.setPosition(vector3(3.0f, 0.5f, 0.0f));        // within a ship's reach of its spawn point

    // The ship is destroyed; the client's state from before it heard of it arrives afterwards.
    elementOf(s.game, ship).setVisible(false);
    playerOf(s.game, 0).respawnTimer = 2.5f;
    s.sendState(1, stale);
    s.tick(FRAME);
    EXPECT_FALSE(s.game.getElement(ship).isVisible());
    EXPECT_EQ(s.game.getElement(ship).getPosition(), s.game.spawnPoint(0));

    // Once the game has brought it back, the client's states count again.
    for (int frame = 0; frame < 120 && !s.game.getElement(ship).isVisible(); ++frame)
        s.tick(FRAME);
    ASSERT_TRUE(s.game.getElement(ship).isVisible());
    s.sendState(1, stale);
    s.tick(0.0f);
    EXPECT_EQ(s.game.getElement(ship).getPosition(), vector3(3.0f, 0.5f, 0.0f));
}

TEST(ServerLeave, TheNameTakesTheSuffixWithinThirtyOneCharactersOnce) {
    Server s(1);
    s.park();
    s.join(1, "Player");
    s.join(2, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"); // 31 characters
    s.tick(0.0f);
    s.leave(2);
    s.leave(2); // told twice
    s.leave(1);
    s.tick(0.0f);
    EXPECT_STREQ(s.game.getPlayer(0).name, "Player [Disconnected]");
    EXPECT_STREQ(s.game.getPlayer(1).name, "ABCDEFGHIJKLMNOP [Disconnected]");
    EXPECT_EQ(std::strlen(s.game.getPlayer(1).name), 31u);
    EXPECT_FALSE(s.game.getPlayer(1).connected);
    EXPECT_FALSE(s.game.getElement(s.game.getPlayer(1).shipID).isVisible());

    // A left player's ship state does not bring the ship back.
    ZEBGameStateElement ship = s.game.getElement(s.game.getPlayer(0).shipID);
    ship.setVisible(true);
    s.sendState(1, ship);
    s.join(1);
    s.tick(0.0f);
    EXPECT_FALSE(s.game.getElement(s.game.getPlayer(0).shipID).isVisible());
    EXPECT_EQ(s.game.getPlayerCount(), 2);
}

TEST(ServerTick, ZeroStepMovesNothingAndSendsNothingTheCopiesHold) {
    Server s(2);
    s.join(1);
    s.join(2);
    s.tick(0.0f);
    std::vector<vector3> before;
    for (int id = 0; id < s.game.getElementCount(); ++id)
        before.push_back(s.game.getElement(id).getPosition());
    const float fireTimer = s.game.getPlayer(0).fireTimer;
    s.tick(0.0f);
    for (int id = 0; id < s.game.getElementCount(); ++id)
        EXPECT_EQ(s.game.getElement(id).getPosition(), before[id]);
    EXPECT_EQ(s.game.getPlayer(0).fireTimer, fireTimer);
    EXPECT_EQ(s.game.getStatsCountdown(), STATS_INTERVAL);
    EXPECT_TRUE(s.out.empty()); // the ships are where the copies have them
}

TEST(ServerTick, JoinAnswerComesFirstAndTheNewShipTakesPartInTheSameTick) {
    Server s(1);
    s.join(1);
    s.tick(0.0f);
    const int ship = s.game.getPlayer(0).shipID;
    const int bullet = s.game.getPlayer(0).bulletIDs[0];
    elementOf(s.game, bullet).setVisible(true);
    playerOf(s.game, 0).bulletAges[0] = 0.99f;
    ZEBGameStateElement& asteroid = elementOf(s.game, 0);
    asteroid.setPosition(vector3(9.99f, 5.0f, 0.0f));
    asteroid.setVelocity(vector3(-1.0f, 0.0f, 0.0f)); // towards +x: wraps this tick
    s.join(2);
    s.tick(0.02f);

    const std::vector<int> expected = {MSG_FULL_STATE, MSG_NEW_ELEMENT,    MSG_NEW_ELEMENT,   MSG_NEW_ELEMENT,
                                       MSG_EXPLOSION,  MSG_ELEMENT_UPDATE, MSG_ELEMENT_UPDATE};
    ASSERT_EQ(s.types(), expected);
    EXPECT_EQ(updateID(s.out[5]), bullet);
    EXPECT_EQ(updateID(s.out[6]), 0);
    EXPECT_LT(s.game.getElement(0).getPosition().x, -9.0f);
    EXPECT_TRUE(s.game.getElement(ship).isVisible());
    EXPECT_TRUE(s.game.getElement(s.game.getPlayer(1).shipID).isVisible());
}

TEST(ServerBroadcast, HeartbeatsTakeFourLowIdsATickAndSkipShips) {
    Server s(2);
    elementOf(s.game, 0).setPosition(ZERO);
    elementOf(s.game, ELEMENTS_PER_FAMILY).setPosition(ZERO);
    for (int i = 0; i < 3; ++i) {
        s.tick(0.25f); // flying straight, the two large asteroids need nothing
        EXPECT_EQ(s.out.size(), 0u);
    }
    s.tick(0.25f); // one second: both are due, and the first score table
    ASSERT_EQ(s.types(), (std::vector<int>{MSG_ELEMENT_UPDATE, MSG_ELEMENT_UPDATE, MSG_PLAYER_STATS}));
    EXPECT_EQ(updateID(s.out[0]), 0);
    EXPECT_EQ(updateID(s.out[1]), ELEMENTS_PER_FAMILY);

    Server many(1);
    for (int id = 0; id < ELEMENTS_PER_FAMILY; ++id) {
        elementOf(many.game, id).setVisible(true);
        elementOf(many.game, id).setPosition(vector3(5.0f, 5.0f, 0.0f));
    }
    many.join(1);
    for (int i = 0; i < 4; ++i)
        many.tick(0.25f);
    // The ship's heartbeat first, outside the budget; then four asteroids by id.
    std::vector<int> ids;
    for (const networkMessage& message : many.out)
        if (message.getType() == MSG_ELEMENT_UPDATE)
            ids.push_back(updateID(message));
    EXPECT_EQ(ids, (std::vector<int>{7, 0, 1, 2, 3}));
    many.tick(0.0f);
    ids.clear();
    for (const networkMessage& message : many.out)
        ids.push_back(updateID(message));
    EXPECT_EQ(ids, (std::vector<int>{4, 5, 6}));
}

TEST(ServerBroadcast, ScoreTableAfterOneSecondThenOnChangeAtMostTwiceASecondOrOnceASecond) {
    Server s(0);
    Server other(0);
    s.tick(0.25f);
    s.tick(0.25f);
    EXPECT_EQ(s.game.getStatsCountdown(), 0.5f);
    s.tick(0.25f);
    s.tick(0.25f);
    ASSERT_EQ(s.types(), std::vector<int>{MSG_PLAYER_STATS});
    EXPECT_EQ(s.out[0].getDataSize(), 4); // no players: count 0
    EXPECT_TRUE(s.out[0].isGuaranteed());
    s.tick(0.0f);
    EXPECT_TRUE(s.types().empty()); // nothing changed
    EXPECT_EQ(other.game.getStatsCountdown(), STATS_INTERVAL);

    s.join(1);
    s.join(2);
    auto tablesSent = [&s] {
        const std::vector<int> types = s.types();
        return static_cast<int>(std::count(types.begin(), types.end(), MSG_PLAYER_STATS));
    };
    // Joins change it, and a score does: each waits half a second after the last table.
    for (const int score : {0, -5}) {
        s.tick(0.0f);
        EXPECT_EQ(tablesSent(), 0);
        playerOf(s.game, 0).score = score;
        s.tick(0.25f);
        EXPECT_EQ(tablesSent(), 0);
        s.tick(0.25f);
        EXPECT_EQ(tablesSent(), 1);
    }
    ASSERT_EQ(s.out.back().getType(), MSG_PLAYER_STATS);
    std::vector<PlayerStats> rows;
    ASSERT_TRUE(readPlayerStats(s.out.back().getData(), s.out.back().getDataSize(), &rows));
    EXPECT_EQ(s.out.back().getDataSize(), 116);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_STREQ(rows[0].name, "Player");
    EXPECT_EQ(rows[0].score, -5);
    EXPECT_EQ(rows[1].uniqueID, s.game.getPlayer(1).shipID);
    EXPECT_EQ(rows[1].colour, s.game.getElement(rows[1].uniqueID).getColour());

    // Unchanged, it is repeated once a second.
    int tables = 0;
    for (int i = 0; i < 50; ++i) {
        s.tick(1.0f / 45.0f);
        tables += tablesSent();
    }
    EXPECT_EQ(tables, 1);
}

TEST(ServerBroadcast, AHiddenShipIsAnnouncedOnceAndSurely) {
    Server s(1);
    s.park();
    s.join(1);
    s.join(2);
    s.tick(0.0f);
    const int hidden = s.game.getPlayer(1).shipID;
    elementOf(s.game, hidden).setVisible(false);
    playerOf(s.game, 1).respawnTimer = 100.0f; // waiting to come back
    auto updatesOf = [&](int id) {
        std::vector<bool> guaranteed;
        for (const networkMessage& message : s.out)
            if (message.getType() == MSG_ELEMENT_UPDATE && updateID(message) == id)
                guaranteed.push_back(message.isGuaranteed());
        EXPECT_LE(guaranteed.size(), 1u);
        return guaranteed;
    };
    s.tick(0.0f);
    EXPECT_EQ(updatesOf(hidden), std::vector<bool>{true});
    s.tick(0.0f);
    EXPECT_TRUE(updatesOf(hidden).empty());
    EXPECT_TRUE(updatesOf(s.game.getPlayer(0).shipID).empty()); // the visible one waits for its heartbeat
    elementOf(s.game, hidden).setVisible(true);
    s.tick(0.0f);
    EXPECT_EQ(updatesOf(hidden), std::vector<bool>{false});
}

TEST(ServerSimulation, WrapSendsAnUpdateOnlyWhenTheAreaIsLeft) {
    Server s(1);
    ZEBGameStateElement& asteroid = elementOf(s.game, 0);
    asteroid.setPosition(vector3(9.9f, -10.0f, 0.0f));
    asteroid.setVelocity(vector3(-2.0f, 0.0f, 0.0f)); // +0.2 in x per 0.1 s
    s.tick(0.1f);
    EXPECT_NEAR(s.game.getElement(0).getPosition().x, -9.9f, 1e-5f);
    EXPECT_EQ(s.game.getElement(0).getPosition().y, -10.0f); // exactly -10 stays
    ASSERT_EQ(s.out.size(), 1u);
    EXPECT_EQ(updateID(s.out[0]), 0);
    s.tick(0.1f);
    EXPECT_EQ(s.out.size(), 0u);
}

// Two players' bullets strike one asteroid in the same tick: it breaks once,
// with one explosion and one score; the later bullet flies on.
TEST(ServerSimulation, AnAsteroidStruckTwiceInOneTickBreaksAndScoresOnce) {
    Server s(1);
    s.join(1);
    s.join(2);
    s.tick(0.0f);
    s.park();
    const vector3 where = s.game.getElement(0).getPosition();
    for (int place = 0; place < 2; ++place) {
        ZEBGameStateElement& bullet = elementOf(s.game, s.game.getPlayer(place).bulletIDs[0]);
        bullet.setPosition(vector3(where.x - 3.5f, where.y, 0.0f));
        bullet.setVelocity(vector3(-180.0f, 0.0f, 0.0f)); // into the asteroid from the left within the tick
        bullet.setVisible(true);
        playerOf(s.game, place).bulletAges[0] = 0.0f;
    }
    s.tick(FRAME);
    int explosions = 0;
    for (const networkMessage& message : s.out) {
        Explosion explosion;
        explosions += message.getType() == MSG_EXPLOSION &&
                              readExplosion(message.getData(), message.getDataSize(), &explosion) &&
                              explosion.elementID == 0
                          ? 1
                          : 0;
    }
    EXPECT_EQ(explosions, 1);
    EXPECT_EQ(s.game.getPlayer(0).score + s.game.getPlayer(1).score, SCORE_ASTEROID_BROKEN);
    EXPECT_TRUE(s.game.getElement(s.game.getPlayer(1).bulletIDs[0]).isVisible());
}

TEST(ServerSimulation, NoFamiliesMeansANewRoundEveryTick) {
    Server s(0);
    s.join(1);
    s.tick(0.0f);
    const int ship = s.game.getPlayer(0).shipID;
    elementOf(s.game, ship).setPosition(vector3(3.0f, 3.0f, 0.0f));
    elementOf(s.game, s.game.getPlayer(0).bulletIDs[0]).setVisible(true);
    playerOf(s.game, 0).bulletAges[0] = 0.0f; // in flight
    s.tick(FRAME);
    // The ship flies on where its copy flies it, neither placed nor hidden:
    // its copy would pass over either.
    EXPECT_TRUE(s.game.getElement(ship).isVisible());
    EXPECT_NEAR(s.game.getElement(ship).getPosition().x, 3.0f, 0.01f);
    EXPECT_FALSE(s.game.getElement(s.game.getPlayer(0).bulletIDs[0]).isVisible());
    EXPECT_EQ(s.out.size(), 3u); // a round's updates (3 elements)
}

TEST(ServerSimulation, RoundAndFragmentDrawsFollowTheStatedOrder) {
    const auto direction = [] {
        vector3 d;
        d.randomise(-1.0f, 1.0f);
        d.z = 0.0f;
        d.normalise();
        return d;
    };
    // A medium fragment draws its rotation, direction and shape after the
    // large asteroid's eleven draws.
    seedRandom(31u);
    for (int i = 0; i < 11; ++i)
        random15();
    const float fragmentRotation = static_cast<float>((random15() / 32767.0 - 0.5) * 720.0);
    const vector3 fragmentDirection = direction();
    const int fragmentShape = static_cast<int>(random15() / 32767.0 * 2);
    Server s(1, 31u);
    const float factor = static_cast<float>(1.0 / (2.0 * MEDIUM_ASTEROID_SCALE));
    EXPECT_EQ(s.game.getElement(1).getRotation(), fragmentRotation);
    vector3 fragmentVelocity;
    scale(&fragmentDirection, factor, &fragmentVelocity);
    EXPECT_EQ(s.game.getElement(1).getVelocity(), fragmentVelocity);
    EXPECT_EQ(s.game.getElement(1).getObjectID(), play::SQUARE_ASTEROID + fragmentShape);

    // A new round: per piece in id order a direction, then for the large one
    // its rotation and position; a fragment moves as fast as at creation.
    seedRandom(99u);
    const vector3 largeDirection = direction();
    const float rotation = static_cast<float>((random15() / 32767.0 - 0.5) * 720.0);
    vector3 position;
    position.randomise(-10.0f, 10.0f);
    const vector3 firstFragment = direction();
    seedRandom(99u);
    messageQueue toSend;
    s.game.newRound(toSend);
    EXPECT_EQ(s.game.getElement(0).getVelocity(), largeDirection);
    EXPECT_EQ(s.game.getElement(0).getRotation(), rotation);
    EXPECT_EQ(s.game.getElement(0).getPosition(), vector3(position.x, position.y, 0.0f));
    EXPECT_TRUE(s.game.getElement(0).isVisible());
    vector3 firstFragmentVelocity;
    scale(&firstFragment, factor, &firstFragmentVelocity);
    EXPECT_EQ(s.game.getElement(1).getVelocity(), firstFragmentVelocity);
    EXPECT_FALSE(s.game.getElement(1).isVisible());
    EXPECT_EQ(toSend.size(), ELEMENTS_PER_FAMILY);
}

namespace {

// sRGB in 0..1 to linear light.
double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// The relative luminance of the contrast ratio, from linear light.
double luminance(const std::array<double, 3>& rgb) {
    return 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
}

// CIELAB (D65) of a linear colour.
std::array<double, 3> lab(const std::array<double, 3>& l) {
    auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
    const double x = f((0.4124 * l[0] + 0.3576 * l[1] + 0.1805 * l[2]) / 0.95047);
    const double y = f(luminance(l));
    const double z = f((0.0193 * l[0] + 0.1192 * l[1] + 0.9505 * l[2]) / 1.08883);
    return {116.0 * y - 16.0, 500.0 * (x - y), 200.0 * (y - z)};
}

using vision = std::array<std::array<double, 3>, 3>; // applied to linear light
constexpr vision NORMAL = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
// Full-severity protanopia and deuteranopia (Machado, Oliveira and Fernandes, 2009).
constexpr vision PROTANOPIA = {
    {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}};
constexpr vision DEUTERANOPIA = {
    {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}};

std::array<double, 3> seen(const colour4& c, const vision& v) {
    const std::array<double, 3> l = {linear(c.r), linear(c.g), linear(c.b)};
    std::array<double, 3> out{};
    for (int i = 0; i < 3; ++i)
        out[i] = std::clamp(v[i][0] * l[0] + v[i][1] * l[1] + v[i][2] * l[2], 0.0, 1.0);
    return out;
}

} // namespace

// Every colour reads on the navy background, and no two look alike to players
// with normal vision or either red-green blindness (CIE76 distance).
TEST(ServerSetup, TheEightColoursReadOnTheBackgroundAndStayApartForColourBlindPlayers) {
    constexpr double MIN_CONTRAST = 4.5;
    constexpr double MIN_DISTANCE = 20.0;
    const ZEBHostedGameState game;
    const double background = luminance(seen(colour4(0.05f, 0.05f, 0.1f, 1.0f), NORMAL));
    for (int i = 0; i < PLAYER_COLOUR_COUNT; ++i) {
        const double ratio = (luminance(seen(game.getPlayerColour(i), NORMAL)) + 0.05) / (background + 0.05);
        EXPECT_GE(ratio, MIN_CONTRAST) << i;
        for (int j = 0; j < i; ++j) {
            for (const vision& v : {NORMAL, PROTANOPIA, DEUTERANOPIA}) {
                const std::array<double, 3> a = lab(seen(game.getPlayerColour(i), v));
                const std::array<double, 3> b = lab(seen(game.getPlayerColour(j), v));
                EXPECT_GE(std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]), MIN_DISTANCE) << i << " " << j;
            }
        }
    }
}
