// The frame drawing of the shell on an offscreen device: what the score table
// does with rows the server sends.

#include "drawing/camera.h"
#include "drawing/font/font.h"
#include "drawing/render.h"
#include "game/client/zebfeedback.h"
#include "game/client/zebgamestatecollector.h"
#include "game/common/gamenames.h"
#include "game/common/options.h"
#include "game/rules/protocol.h"
#include "game/windowed/windowedgame.h"
#include "networklib/networkclient.h"
#include "tests/core/assertioncapture.h"
#include "tests/game/gamestateaccess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int AREA = 700;

class shellRender : public ::testing::Test {
  protected:
    void SetUp() override {
        renderWindow window;
        window.areaWidth = AREA;
        window.areaHeight = AREA;
        initialiseRender(window, 1.0f, 100.0f);
        ASSERT_NE(g_pd3dDevice, nullptr);
        m_shell.getFont().create("Arial", 16);
        ASSERT_TRUE(m_shell.getFont().getFace().isCreated());
        m_session = &m_shell.startOfflineSession({});
        join();
    }
    void TearDown() override { shutdownRender(); }

    void deliver(const networkMessage& message) {
        messageQueue in;
        in.push(message);
        messageQueue out;
        m_session->getCollector().update(0.0f, in, out);
    }

    void join() {
        ZEBGameStateElement ship;
        ship.initialise(0, ZERO, 0.0f, ZERO, 1.0f, TYPE_PLAYER, 0, WHITE, true);
        m_session->getCollector().setPlayerName(PLAYER_NAME);
        deliver(writeFullState({ship}, 0));
        ASSERT_TRUE(m_session->getCollector().hasJoined());
    }

    std::vector<uint32_t> frame() {
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(g_pd3dDevice->readFrame(&pixels));
        return pixels;
    }

    AssertionCapture m_reports;
    gameOptions m_options;
    ZEBWindowedGame m_shell{m_options};
    ZEBClientSession* m_session = nullptr;
};

// Pixels in rows [y0, y1) whose red is strong and green and blue faint.
int redPixels(const std::vector<uint32_t>& pixels, int y0, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < AREA; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * AREA + x];
            count += (((p >> 16) & 0xFF) >= 200 && ((p >> 8) & 0xFF) <= 40 && (p & 0xFF) <= 60) ? 1 : 0;
        }
    }
    return count;
}

} // namespace

// The table is the server's: however many rows it sends, rows below the
// window are not drawn and raise no report, and a colour outside 0 to 1 is
// drawn within that range instead of being reported every frame.
TEST_F(shellRender, scoreRowsTheWindowCannotShowOrColourAreHarmless) {
    std::vector<PlayerStats> rows(45);
    for (size_t p = 0; p < rows.size(); ++p) {
        std::snprintf(rows[p].name, sizeof(rows[p].name), "Player");
        rows[p].colour = colour4(0.0f, 1.0f, 0.0f, 1.0f);
    }
    rows[1].colour = colour4(1.5f, -0.25f, NAN, 1.0f);
    deliver(writePlayerStats(rows));
    ASSERT_EQ(m_session->getCollector().getStatsCount(), 45);

    m_shell.render();
    EXPECT_EQ(m_reports.count(), 0u) << (m_reports.count() > 0 ? m_reports.texts()[0] : "");
    const std::vector<uint32_t> pixels = frame();
    EXPECT_GT(redPixels(pixels, 17, 35), 10); // the second row (top 0.95), in full red
    EXPECT_EQ(redPixels(pixels, 0, 17), 0);
}

// Set-up goes on when no device could be made; the frame then reports the
// missing device instead of drawing through it.
TEST_F(shellRender, aFrameWithoutADeviceReportsAndReturns) {
    shutdownRender();
    m_shell.render();
    ASSERT_GE(m_reports.count(), 1u);
    EXPECT_TRUE(m_reports.holds(0, "D3D Device is not initialised!", "( g_pd3dDevice != NULL )"));
}

namespace {

bool isDrawn(uint32_t p) {
    const int r = static_cast<int>((p >> 16) & 0xFF);
    const int g = static_cast<int>((p >> 8) & 0xFF);
    const int b = static_cast<int>(p & 0xFF);
    return std::abs(r - 0x0D) + std::abs(g - 0x0D) + std::abs(b - 0x1A) > 30;
}

// Drawn pixels in the rectangle [x0, x1) x [y0, y1), and the rightmost column holding one.
int drawnPixels(const std::vector<uint32_t>& pixels, int x0, int x1, int y0, int y1,
                int* rightmost = nullptr) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (isDrawn(pixels[static_cast<size_t>(y) * AREA + x])) {
                ++count;
                if (rightmost != nullptr && x > *rightmost)
                    *rightmost = x;
            }
        }
    }
    return count;
}

} // namespace

// The own row starts with a marker; other rows, with the same name and score,
// do not.
TEST_F(shellRender, theOwnRowOfTheScoreTableIsMarked) {
    std::vector<PlayerStats> rows(2);
    for (PlayerStats& row : rows) {
        std::snprintf(row.name, sizeof(row.name), "Player");
        row.colour = colour4(0.0f, 1.0f, 0.0f, 1.0f);
    }
    rows[0].uniqueID = 1;
    rows[1].uniqueID = m_session->getCollector().getOwnIndex();
    deliver(writePlayerStats(rows));
    m_shell.render();
    const std::vector<uint32_t> pixels = frame();
    int otherEnd = -1;
    int ownEnd = -1;
    drawnPixels(pixels, 0, AREA, 0, 17, &otherEnd);
    drawnPixels(pixels, 0, AREA, 17, 35, &ownEnd);
    EXPECT_GT(otherEnd, 40);
    EXPECT_GT(ownEnd, otherEnd + 6) << "other row to " << otherEnd << ", own row to " << ownEnd;
}

// Two ships of one shape and colour: only the own one carries the ring.
TEST_F(shellRender, theOwnShipCarriesAFaintRingOthersDoNot) {
    const vector3 outline[] = {
        {1.5f, 0.0f, 0.0f}, {-1.0f, 0.9f, 0.0f}, {-0.5f, 0.0f, 0.0f}, {-1.0f, -0.9f, 0.0f}};
    std::vector<ZEBObject> shapes(1);
    ASSERT_TRUE(shapes[0].create(TYPE_PLAYER, outline, 4));
    m_session->setShapes(shapes);
    ZEBGameStateElement other;
    other.initialise(1, vector3(6.0f, 0.0f, 0.0f), 0.0f, ZERO, 1.0f, TYPE_PLAYER, 0, WHITE, true);
    deliver(writeNewElement(other));
    elementOf(m_session->getCollector(), m_session->getCollector().getOwnIndex())
        .initialise(0, vector3(-6.0f, 0.0f, 0.0f), 0.0f, ZERO, 1.0f, TYPE_PLAYER, 0, WHITE, true);
    m_shell.render();
    const std::vector<uint32_t> pixels = frame();
    const int own = drawnPixels(pixels, 0, AREA / 2, 200, 500);
    const int others = drawnPixels(pixels, AREA / 2, AREA, 200, 500);
    EXPECT_GT(others, 100);
    EXPECT_GT(own, others + 200) << "own " << own << ", other " << others;
}

// A shape reaching over an edge shows on both sides of the play area, and in
// a corner on all four; one well inside shows once.
TEST_F(shellRender, shapesCrossingAnEdgeAreDrawnOnBothSides) {
    const vector3 square[] = {
        {2.0f, 2.0f, 0.0f}, {-2.0f, 2.0f, 0.0f}, {-2.0f, -2.0f, 0.0f}, {2.0f, -2.0f, 0.0f}};
    std::vector<ZEBObject> shapes(1);
    ASSERT_TRUE(shapes[0].create(TYPE_ASTEROID, square, 4));
    m_session->setShapes(shapes);
    ZEBGameStateElement rock;
    rock.initialise(1, ZERO, 0.0f, ZERO, 1.0f, TYPE_ASTEROID, 0, WHITE, true);
    deliver(writeNewElement(rock));
    elementOf(m_session->getCollector(), m_session->getCollector().getOwnIndex()).setVisible(false);
    struct row {
        vector3 position;
        bool left, right, top, bottom; // drawn pixels in the strip along that edge
    };
    const row rows[] = {
        {{0.0f, 0.0f, 0.0f}, false, false, false, false}, {{9.5f, 0.0f, 0.0f}, true, true, false, false},
        {{-9.0f, 0.0f, 0.0f}, true, true, false, false},  {{0.0f, 9.5f, 0.0f}, false, false, true, true},
        {{9.5f, -9.5f, 0.0f}, true, true, true, true},
    };
    constexpr int STRIP = 40;
    for (const row& r : rows) {
        rock.setPosition(r.position);
        deliver(writeElementUpdate(rock));
        m_shell.render();
        const std::vector<uint32_t> pixels = frame();
        // The sound line lies along the bottom: the side strips stop above it.
        EXPECT_EQ(drawnPixels(pixels, 0, STRIP, 0, 600) > 0, r.left) << r.position.x << "," << r.position.y;
        EXPECT_EQ(drawnPixels(pixels, AREA - STRIP, AREA, 0, 600) > 0, r.right)
            << r.position.x << "," << r.position.y;
        EXPECT_EQ(drawnPixels(pixels, 300, AREA, 0, STRIP) > 0, r.top) << r.position.x << "," << r.position.y;
        EXPECT_EQ(drawnPixels(pixels, 0, AREA, AREA - STRIP, AREA) > 0, r.bottom)
            << r.position.x << "," << r.position.y;
    }
}

namespace {

int greyPixels(const std::vector<uint32_t>& pixels, int y0, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < AREA; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * AREA + x];
            const int r = static_cast<int>((p >> 16) & 0xFF);
            count += (r >= 120 && r == static_cast<int>((p >> 8) & 0xFF)) ? 1 : 0;
        }
    }
    return count;
}

} // namespace

// Without a game the window says why and, while the party goes on, when it
// searches again; over a game whose host fell silent it says the connection
// is going.
TEST_F(shellRender, theWindowSaysWhyItWaitsAndForHowLong) {
    EXPECT_EQ(describeUnavailable(networkEnd::hostStopped), "The host left the game.");
    EXPECT_EQ(describeUnavailable(networkEnd::gameFull), "The game is full.");
    EXPECT_EQ(describeUnavailable(networkEnd::connectionLost),
              "Connection lost: the host stopped answering.");
    EXPECT_EQ(searchCountdownText(2.2f), "Searching again in 3 s ...");
    EXPECT_EQ(searchCountdownText(0.01f), "Searching again in 1 s ...");
    EXPECT_EQ(searchCountdownText(-1.0f), "");

    for (const float silence : {0.0f, HOST_SILENCE_LIMIT}) {
        m_session->setHostSilence(silence);
        m_shell.render();
        EXPECT_EQ(redPixels(frame(), 190, 215) > 30, silence > 0.0f) << silence;
    }
    ZEBWindowedGame waiting(m_options);
    waiting.getFont().create("Arial", 16);
    for (const float delay : {2.5f, -1.0f}) {
        waiting.scheduleSearch(delay);
        waiting.render();
        EXPECT_EQ(greyPixels(frame(), 17, 35) > 30, delay >= 0.0f) << delay; // the line below the title
    }
}

namespace {

template <typename Test>
int pixelsWhere(const std::vector<uint32_t>& pixels, int x0, int x1, int y0, int y1, Test test) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * AREA + x];
            count += test(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                          static_cast<int>(p & 0xFF))
                         ? 1
                         : 0;
        }
    }
    return count;
}

bool isFlame(int r, int g, int b) {
    return r >= 200 && g >= 120 && g <= 200 && b <= 90;
}
bool isGreenText(int r, int g, int b) {
    return g >= 150 && r <= g - 60 && b <= g - 60;
}

} // namespace

// The own ship shows a flame while its player thrusts, a bullet trails a
// streak, and a change of the own score floats up beside the ship.
TEST_F(shellRender, thrustBulletsAndScoreChangesShowBesideTheShips) {
    const vector3 ship[] = {
        {1.5f, 0.0f, 0.0f}, {-1.0f, 0.9f, 0.0f}, {-0.5f, 0.0f, 0.0f}, {-1.0f, -0.9f, 0.0f}};
    const vector3 bullet[] = {
        {0.2f, 0.0f, 0.0f}, {0.0f, 0.2f, 0.0f}, {-0.2f, 0.0f, 0.0f}, {0.0f, -0.2f, 0.0f}};
    std::vector<ZEBObject> shapes(2);
    ASSERT_TRUE(shapes[0].create(TYPE_PLAYER, ship, 4));
    ASSERT_TRUE(shapes[1].create(TYPE_BULLET, bullet, 4));
    m_session->setShapes(shapes);
    elementOf(m_session->getCollector(), 0)
        .initialise(0, vector3(-6.0f, 0.0f, 0.0f), 0.0f, ZERO, 0.4f, TYPE_PLAYER, 0, WHITE, true);
    ZEBGameStateElement shot;
    shot.initialise(1, vector3(6.0f, 0.0f, 0.0f), 0.0f, ZERO, 0.3f, TYPE_BULLET, 1,
                    colour4(0.3f, 0.3f, 0.3f, 1.0f), true);
    deliver(writeNewElement(shot));
    int bulletAtRest = 0;
    for (const bool moving : {false, true}) {
        m_shell.getInput().up = moving;
        elementOf(m_session->getCollector(), 1).setVelocity(vector3(moving ? 10.0f : 0.0f, 0.0f, 0.0f));
        m_shell.render();
        const std::vector<uint32_t> pixels = frame();
        EXPECT_EQ(pixelsWhere(pixels, 0, AREA / 2, 250, 450, isFlame) > 5, moving);
        const int bulletPixels = drawnPixels(pixels, AREA / 2, AREA, 250, 450);
        EXPECT_GT(bulletPixels, bulletAtRest + (moving ? 60 : 0));
        bulletAtRest = bulletPixels;
    }
    m_shell.getInput().up = false;

    std::vector<PlayerStats> rows(1);
    for (const int score : {0, 5}) {
        rows[0].score = score;
        deliver(writePlayerStats(rows));
        m_session->getFeedback().update(0.0f, m_session->getCollector());
    }
    m_shell.render();
    EXPECT_GT(pixelsWhere(frame(), 140, 220, 280, 340, isGreenText), 10); // "+5" above and right of the ship
    m_session->getFeedback().reset();
}

// The table reads from the highest score down, and marks the one ahead.
TEST_F(shellRender, theScoreTableIsSortedAndMarksTheLeader) {
    struct row {
        int score;
        colour4 colour;
        bool (*test)(int, int, int);
    };
    const row rows[] = {
        {5, colour4(1.0f, 0.0f, 0.0f, 1.0f), [](int r, int g, int b) { return r > 150 && g < 60 && b < 60; }},
        {20, colour4(0.0f, 1.0f, 0.0f, 1.0f),
         [](int r, int g, int b) { return g > 150 && r < 60 && b < 60; }},
        {9, colour4(0.0f, 0.0f, 1.0f, 1.0f), [](int r, int g, int b) { return b > 150 && r < 60 && g < 60; }},
    };
    std::vector<PlayerStats> stats(3);
    for (size_t p = 0; p < stats.size(); ++p) {
        std::snprintf(stats[p].name, sizeof(stats[p].name), "Player");
        stats[p].uniqueID = 100 + static_cast<int>(p);
        stats[p].score = rows[p].score;
        stats[p].colour = rows[p].colour;
    }
    deliver(writePlayerStats(stats));
    m_shell.render();
    const std::vector<uint32_t> pixels = frame();
    const int lineOf[] = {2, 0, 1}; // by score
    int extent[3] = {-1, -1, -1};
    for (int p = 0; p < 3; ++p) {
        const int top = lineOf[p] * 17 + (lineOf[p] > 1 ? 1 : 0);
        EXPECT_GT(pixelsWhere(pixels, 0, AREA, top, top + 17, rows[p].test), 30) << p;
        drawnPixels(pixels, 0, AREA, top + 2, top + 15, &extent[p]);
    }
    EXPECT_GT(extent[1], extent[2] + 40) << "the leader's row is marked";
    EXPECT_LT(std::abs(extent[0] - extent[2]), 4);
}

// Tab walks the players as the score table shows them, highest score first,
// then the whole field again.
TEST_F(shellRender, tabFollowsThePlayersInTheScoreTablesOrder) {
    for (int id = 1; id < 3; ++id) { // two more players beside this copy's ship 0
        ZEBGameStateElement ship;
        ship.initialise(id, ZERO, 0.0f, ZERO, 1.0f, TYPE_PLAYER, 0, WHITE, true);
        deliver(writeNewElement(ship));
    }
    std::vector<PlayerStats> rows(3);
    const int scores[3] = {0, 5, 20};
    for (int row = 0; row < 3; ++row) {
        std::snprintf(rows[row].name, sizeof(rows[row].name), "P%d", row);
        rows[row].uniqueID = row;
        rows[row].score = scores[row];
    }
    deliver(writePlayerStats(rows));
    std::vector<int> followed;
    for (int press = 0; press < 4; ++press) {
        m_shell.followNext();
        followed.push_back(m_shell.getFollowed());
    }
    EXPECT_EQ(followed, (std::vector<int>{2, 1, 0, -1}));
}
