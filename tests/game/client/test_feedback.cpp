// What the client tells its player from the messages it already receives:
// the own score's changes, and who shot the own ship.

#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/rules/motion.h"
#include "game/rules/protocol.h"
#include "networklib/networkmessage.h"
#include "tests/game/gamestateaccess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// Two places: the own ship 0 with bullets 1 and 2, Ann's ship 3 with 4 and 5.
class feedback : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<ZEBGameStateElement> elements(6);
        for (int id = 0; id < 6; ++id)
            elements[id].initialise(id, ZERO, 0.0f, ZERO, 1.0f, id % 3 == 0 ? TYPE_PLAYER : TYPE_BULLET, 0,
                                    WHITE, id % 3 == 0);
        deliver({writeFullState(elements, 0)});
        table(0);
    }
    void deliver(const std::vector<networkMessage>& messages) {
        messageQueue in;
        for (const networkMessage& message : messages)
            in.push(message);
        messageQueue out;
        m_collector.update(0.0f, in, out);
    }
    void table(int ownScore, int ownID = 0) {
        std::vector<PlayerStats> rows(2);
        std::snprintf(rows[0].name, sizeof(rows[0].name), "Me");
        rows[0].uniqueID = ownID;
        rows[0].score = ownScore;
        std::snprintf(rows[1].name, sizeof(rows[1].name), "Ann");
        rows[1].uniqueID = 3;
        rows[1].colour = colour4(0.0f, 1.0f, 0.0f, 1.0f);
        deliver({writePlayerStats(rows)});
        m_feedback.update(0.0f, m_collector);
    }
    // Explosions at x (one arrives per element), then the feedback notes them.
    void explode(const std::vector<std::pair<int, float>>& at) {
        std::vector<networkMessage> messages;
        std::vector<int> exploded;
        for (const auto& [id, x] : at) {
            Explosion explosion;
            explosion.elementID = id;
            explosion.position = vector3(x, 0.0f, 0.0f);
            messages.push_back(writeExplosion(explosion));
            exploded.push_back(id);
        }
        deliver(messages);
        m_feedback.noteExplosions(m_collector, exploded);
    }

    ZEBGameStateCollector m_collector;
    ZEBFeedback m_feedback;
};

} // namespace

TEST_F(feedback, everyChangeOfTheOwnScorePopsUpForAWhile) {
    EXPECT_TRUE(m_feedback.getPopups().empty()); // the first table is no change
    table(5);
    table(-5);
    ASSERT_EQ(m_feedback.getPopups().size(), 2u);
    EXPECT_EQ(m_feedback.getPopups()[0].change, 5);
    EXPECT_EQ(m_feedback.getPopups()[1].change, -10);
    m_feedback.update(SCORE_POPUP_SECONDS, m_collector);
    EXPECT_TRUE(m_feedback.getPopups().empty());
    table(40, 3); // another place (a new game): no change to show
    EXPECT_TRUE(m_feedback.getPopups().empty());
}

TEST_F(feedback, aBulletOfAnotherPlaceAtTheShipNamesItsShooter) {
    explode({{1, 0.0f}, {0, 0.5f}}); // the own bullet
    EXPECT_EQ(m_feedback.getShooter(), "");
    explode({{4, 8.0f}, {0, 0.0f}}); // Ann's bullet, far away
    EXPECT_EQ(m_feedback.getShooter(), "");
    explode({{5, 0.4f}, {0, 0.0f}});
    EXPECT_EQ(m_feedback.getShooter(), "Ann");
    EXPECT_EQ(m_feedback.getShooterColour().g, 1.0f);
    m_feedback.update(SHOT_BY_SECONDS, m_collector);
    EXPECT_EQ(m_feedback.getShooter(), "");
}

// A ship that rests where it appeared blinks for the grace the host gives it,
// however long it rests, and stops once it turns (or moves, or fires).
TEST_F(feedback, aShipRestingWhereItAppearedIsSparedUntilItActs) {
    float shown = 0.0f;
    m_feedback.update(1.0f, m_collector);
    EXPECT_TRUE(m_feedback.isSpared(3, shown));
    EXPECT_FLOAT_EQ(shown, 1.0f);
    EXPECT_FALSE(m_feedback.isSpared(4, shown)); // a bullet
    elementOf(m_collector, 3).setRotation(10.0f);
    m_feedback.update(0.1f, m_collector);
    EXPECT_FALSE(m_feedback.isSpared(3, shown));
    EXPECT_TRUE(m_feedback.isSpared(0, shown));
    m_feedback.update(300.0f, m_collector);
    EXPECT_TRUE(m_feedback.isSpared(0, shown));
}
