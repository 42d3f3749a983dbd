#include "game/windowed/clientsession.h"
#include "tests/networklib/nettesthelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr float FRAME = 0.03f;
constexpr int JOINED_ELEMENTS = 8;

ZEBGameStateElement makeElement(int id) {
    ZEBGameStateElement element;
    element.initialise(id, ZERO, 0.0f, ZERO, 1.0f, TYPE_ASTEROID, 0, WHITE, true);
    return element;
}

networkMessage guaranteed(networkMessage message) {
    message.setGuaranteed(true);
    return message;
}

// A table whose first row carries marker as its score: once the client shows
// it, everything the host sent reliably before it has been handled.
networkMessage statsTable(int rows, int marker) {
    std::vector<PlayerStats> table(static_cast<size_t>(rows));
    table[0].score = marker;
    return guaranteed(writePlayerStats(table));
}

// The client's own game code (collector, effects, frame update) against a host
// that sends whatever it likes: what it makes the client hold stays bounded.
class hostileHost : public ::testing::Test {
  protected:
    void SetUp() override {
        const netGuid guid = testGuid();
        m_host = makeHost(guid);
        const vector3 square[] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
        std::vector<ZEBObject> shapes(1);
        ASSERT_TRUE(shapes[0].create(TYPE_ASTEROID, square, 4));
        m_session = std::make_unique<ZEBClientSession>(std::move(shapes));
        ASSERT_TRUE(m_session->getConnection().connectTo(loopbackAddress(*m_host)));
        arrivals arrived;
        ASSERT_TRUE(waitForEvent(*m_host, arrived, networkEventKind::playerJoined, 5000));

        std::vector<ZEBGameStateElement> elements;
        for (int id = 0; id < JOINED_ELEMENTS; ++id)
            elements.push_back(makeElement(id));
        send(guaranteed(writeFullState(elements, 0)));
        ASSERT_TRUE(framesUntil([this] { return m_session->getCollector().hasJoined(); }, 5000));
    }

    // The client's frames, as the game runs them, until condition holds.
    bool framesUntil(const std::function<bool()>& condition, int timeoutMs) {
        return waitUntil(
            [&] {
                m_session->update(FRAME, PlayerInput(), nullptr);
                return condition();
            },
            timeoutMs);
    }

    void send(const networkMessage& message) {
        messageQueue queue;
        queue.push(message);
        m_host->sendMessages(queue);
    }
    bool handledUpTo(int marker) {
        return framesUntil(
            [this, marker] {
                return m_session->getCollector().getStatsCount() > 0 &&
                       m_session->getCollector().getStatsScore(0) == marker;
            },
            10000);
    }

    std::unique_ptr<networkHost> m_host;
    std::unique_ptr<ZEBClientSession> m_session;
};

TEST_F(hostileHost, elementsRowsAndEffectsStayWithinTheirBoundsAndMemoryStaysFlat) {
    // Elements past the bound, one id after another as the protocol wants, in
    // batches the client's queue takes whole.
    constexpr int BATCH = 1000;
    for (int first = JOINED_ELEMENTS; first < MAX_COLLECTOR_ELEMENTS + 500; first += BATCH) {
        for (int id = first; id < first + BATCH; ++id)
            send(guaranteed(writeNewElement(makeElement(id))));
        send(statsTable(1, first));
        ASSERT_TRUE(handledUpTo(first));
    }
    EXPECT_EQ(m_session->getCollector().getElementCount(), MAX_COLLECTOR_ELEMENTS);
    const long residentBefore = residentKilobytes();

    // A score table of thousands of rows.
    send(statsTable(5000, 2));
    ASSERT_TRUE(handledUpTo(2));
    EXPECT_EQ(m_session->getCollector().getStatsCount(), MAX_STATS_ROWS);

    // Rounds of explosions that would never end, for every element.
    const float durations[] = {3.4e38f, 1e30f, std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN()};
    size_t mostEffects = 0;
    for (int round = 0; round < 40; ++round) {
        messageQueue queue;
        for (int id = 0; id < MAX_COLLECTOR_ELEMENTS; id += 7) {
            Explosion explosion;
            explosion.elementID = id;
            explosion.duration = durations[(id + round) % 4];
            queue.push(writeExplosion(explosion));
        }
        queue.push(statsTable(1, 100 + round));
        m_host->sendMessages(queue);
        ASSERT_TRUE(handledUpTo(100 + round));
        mostEffects = std::max(mostEffects, m_session->getEffects().size());
        ASSERT_LE(m_session->getEffects().size(), MAX_LIVE_EFFECTS);
        ASSERT_EQ(m_session->getCollector().getElementCount(), MAX_COLLECTOR_ELEMENTS);
    }
    EXPECT_EQ(mostEffects, MAX_LIVE_EFFECTS);

    // Once the host stops, every effect ends within the longest duration.
    const int frames = static_cast<int>(MAX_EXPLOSION_DURATION / FRAME) + 2;
    for (int frame = 0; frame < frames; ++frame)
        m_session->update(FRAME, PlayerInput(), nullptr);
    EXPECT_TRUE(m_session->getEffects().empty());

#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizer keeps freed memory in quarantine, so only the plain build
    // can see the process's own figure.
    EXPECT_LT(residentKilobytes() - residentBefore, 16 * 1024);
#else
    (void)residentBefore;
#endif
}

} // namespace
