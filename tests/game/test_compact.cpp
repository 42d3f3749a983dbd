// The compact state stream beside the game's own messages: the same game
// watched through both, with and without loss, and copies of either kind
// meeting hosts of the other.

#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using play::Client;
using play::Harness;
using play::seenDistance;

namespace {

// What the watching copies may draw off the host: the host's thresholds, a
// frame of a ship's top speed for a correction still fading, and the
// quantisation step.
constexpr float DRAWN_BOUND = 2.0f * GUESS_POSITION_THRESHOLD + MAX_SHIP_SPEED * play::FRAME;
// To a compact copy news may wait for a few ticks to share a datagram: what
// it shows may be that many frames behind the host, no more.
constexpr int NEWS_LAG_FRAMES = static_cast<int>(COMPACT_NEWS_TICKS) - 1;
// A lost datagram is told by the next one, at most COMPACT_BATCH_TICKS later,
// and mended within COMPACT_NEWS_TICKS of that; a run of wrong frames stays
// under this unless three or more datagrams in a row are lost.
constexpr int HEAL_FRAMES = 2 * static_cast<int>(COMPACT_BATCH_TICKS + COMPACT_NEWS_TICKS);

// Every player turns one way or the other, thrusts now and then and fires.
PlayerInput flying(int index, int frame) {
    PlayerInput input;
    input.left = (frame / 60 + index) % 3 == 0;
    input.right = (frame / 60 + index) % 3 == 1;
    input.up = (frame / 20 + index) % 4 == 0;
    input.fire = (frame + 5 * index) % 20 == 0;
    return input;
}

// How one watching copy compares with the host, frame by frame.
struct Watch {
    float worstDrawn = 0.0f;
    int visibilityMismatches = 0;
    int scoreMismatches = 0;
    int longestWrong = 0;       // frames in a row one element was drawn off or shown wrong
    std::vector<int> wrongRuns; // per element, the current run
    int longestScoreWrong = 0;
    std::vector<int> scoreRuns; // per row
};

// Four players fly; copies 0 and 1 take the compact stream, 2 the game's own
// messages, 3 follows the design alone.
struct Mixed {
    explicit Mixed(int lossPercent) : h(3, 77u) {
        for (uint32_t id = 1; id <= 4; ++id) {
            Client& client = h.addClient(id);
            h.connect(id);
            if (id <= 2)
                client.collector.setAnnounced(OWN_CAPABILITIES);
            client.strict = id == 4;
            client.lossPercent = lossPercent;
        }
        joined = h.joinAll();
        watches.resize(h.clients.size());
    }

    void frame(int frame) {
        std::vector<ZEBGameStateElement> before;
        for (int id = 0; id < h.game.getElementCount(); ++id)
            before.push_back(h.game.getElement(id));
        std::vector<int> scores;
        for (int i = 0; i < h.game.getPlayerCount(); ++i)
            scores.push_back(h.game.getPlayer(i).score);
        for (size_t i = 0; i < h.clients.size(); ++i)
            h.clients[i]->input = flying(static_cast<int>(i), frame);
        h.step();
        watches.resize(h.clients.size());
        for (size_t i = 0; i < h.clients.size(); ++i)
            compare(*h.clients[i], before, scores, watches[i]);
    }

    static void compare(const Client& client, const std::vector<ZEBGameStateElement>& host,
                        const std::vector<int>& scores, Watch& watch) {
        const ZEBGameStateCollector& copy = client.collector;
        watch.wrongRuns.resize(host.size(), 0);
        for (int id = 0; id < static_cast<int>(host.size()) && id < copy.getElementCount(); ++id) {
            const bool shown = copy.getElementState(id).isVisible();
            watch.visibilityMismatches += shown != host[id].isVisible() ? 1 : 0;
            float drawn = 0.0f;
            if (shown && host[id].isVisible() && id != copy.getOwnIndex())
                drawn = seenDistance(copy.getDrawnPosition(id), host[id].getPosition());
            watch.worstDrawn = std::max(watch.worstDrawn, drawn);
            const bool wrong = shown != host[id].isVisible() || drawn > DRAWN_BOUND;
            watch.wrongRuns[id] = wrong ? watch.wrongRuns[id] + 1 : 0;
            watch.longestWrong = std::max(watch.longestWrong, watch.wrongRuns[id]);
        }
        if (copy.isCompact()) {
            watch.scoreRuns.resize(scores.size(), 0);
            for (int row = 0; row < copy.getStatsCount() && row < static_cast<int>(scores.size()); ++row) {
                const bool wrong = copy.getStatsScore(row) != scores[row];
                watch.scoreMismatches += wrong ? 1 : 0;
                watch.scoreRuns[row] = wrong ? watch.scoreRuns[row] + 1 : 0;
                watch.longestScoreWrong = std::max(watch.longestScoreWrong, watch.scoreRuns[row]);
            }
        }
    }

    Harness h;
    bool joined = false;
    std::vector<Watch> watches;
};

CompactEntry makeEntry(compactKind kind, int id, float x, float rotation, float vx, int32_t score) {
    CompactEntry entry;
    entry.kind = kind;
    entry.id = id;
    entry.position = vector3(x, -x * 0.5f, 0.0f);
    entry.rotation = rotation;
    entry.velocity = vector3(vx, -vx, 0.0f);
    entry.duration = 0.16f;
    entry.score = score;
    return entry;
}

} // namespace

// Every kind of entry reads back as its receiver holds it, quantised within
// half a step; a datagram cut inside an entry, or naming a kind no copy
// knows, is refused whole.
TEST(Compact, ADatagramReadsBackQuantisedAndACutOrUnknownOneIsRefused) {
    CompactEntry turning = makeEntry(compactKind::motion, 4095, 9.99f, -90.0f, -31.5f, 0);
    turning.turn = -1;
    turning.thrust = true;
    const std::vector<CompactEntry> written{turning, makeEntry(compactKind::hide, 7, 0.0f, 0.0f, 0.0f, 0),
                                            makeEntry(compactKind::explode, 12, -10.0f, 719.9f, 0.0f, 0),
                                            makeEntry(compactKind::score, 21, 0.0f, 0.0f, 0.0f, -123456)};
    compactWriter writer(65535);
    std::vector<int> ends{COMPACT_HEADER_SIZE};
    for (const CompactEntry& entry : written) {
        ASSERT_TRUE(writer.add(entry));
        ends.push_back(ends.back() + compactEntrySize(entry.kind));
    }
    EXPECT_FALSE(writer.add(makeEntry(compactKind::hide, COMPACT_MAX_ID + 1, 0.0f, 0.0f, 0.0f, 0)));
    const networkMessage message = writer.message();
    ASSERT_EQ(message.getDataSize(), ends.back());
    uint16_t sequence = 0;
    std::vector<CompactEntry> read;
    ASSERT_TRUE(readCompactState(message.getData(), message.getDataSize(), &sequence, &read));
    EXPECT_EQ(sequence, 65535);
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].kind, written[i].kind);
        EXPECT_EQ(read[i].id, written[i].id);
        if (read[i].kind == compactKind::motion || read[i].kind == compactKind::explode) {
            EXPECT_LE(seenDistance(read[i].position, written[i].position), COMPACT_POSITION_STEP);
            EXPECT_NEAR(std::remainder(read[i].rotation - written[i].rotation, 360.0f), 0.0f,
                        COMPACT_ROTATION_STEP);
            EXPECT_GE(read[i].rotation, 0.0f);
            EXPECT_LT(read[i].rotation, 360.0f);
        }
        const CompactEntry held = quantised(written[i]);
        EXPECT_EQ(read[i].position, held.position);
        EXPECT_EQ(read[i].rotation, held.rotation);
    }
    EXPECT_NEAR(read[0].velocity.x, -31.5f, COMPACT_VELOCITY_STEP);
    EXPECT_EQ(read[0].turn, -1);
    EXPECT_TRUE(read[0].thrust);
    EXPECT_FLOAT_EQ(read[2].duration, 0.16f);
    EXPECT_EQ(read[3].score, -123456);
    for (int cut = 0; cut < message.getDataSize(); ++cut) {
        const bool atEnd = std::find(ends.begin(), ends.end(), cut) != ends.end();
        EXPECT_EQ(readCompactState(message.getData(), cut, &sequence, &read), atEnd) << "cut at " << cut;
    }
    for (const int kind : {0, 10, 15}) {
        std::vector<uint8_t> bytes(message.getData(), message.getData() + message.getDataSize());
        bytes[COMPACT_HEADER_SIZE + 1] =
            static_cast<uint8_t>((bytes[COMPACT_HEADER_SIZE + 1] & 0x0F) | (kind << 4));
        EXPECT_FALSE(readCompactState(bytes.data(), static_cast<int>(bytes.size()), &sequence, &read));
    }
    // An acknowledgement names the newest datagram and which of the 32 before it came.
    CompactAck ack;
    const networkMessage ackMessage = writeCompactAck(CompactAck{3, 0x5u});
    ASSERT_TRUE(readCompactAck(ackMessage.getData(), ackMessage.getDataSize(), &ack));
    const std::vector<std::pair<uint16_t, bool>> named{{3, true},  {2, true},      {1, false},    {0, true},
                                                       {4, false}, {65535, false}, {65500, false}};
    for (const auto& [sequenceNumber, arrived] : named)
        EXPECT_EQ(acknowledges(ack, sequenceNumber), arrived) << sequenceNumber;
    EXPECT_TRUE(isNewerSequence(2, 65535));
    EXPECT_FALSE(isNewerSequence(65535, 2));
    EXPECT_FALSE(readCompactAck(ackMessage.getData(), COMPACT_ACK_SIZE - 1, &ack));
}

TEST(Compact, BothStreamsShowTheSameGameTickByTick) {
    Mixed m(0);
    ASSERT_TRUE(m.joined);
    ASSERT_EQ(m.h.game.getCompactPeerCount(), 2);
    for (int frame = 0; frame < 45 * 20; ++frame)
        m.frame(frame);
    int explosions = 0;
    for (const networkMessage& message : m.h.clients[2]->seen)
        explosions += message.getType() == MSG_EXPLOSION ? 1 : 0;
    ASSERT_GT(explosions, 10);       // the game had hits, breaks and respawns to show
    for (size_t i = 0; i < 2; ++i) { // the compact copies: behind by a few frames at most
        SCOPED_TRACE(i);
        EXPECT_LE(m.watches[i].longestWrong, NEWS_LAG_FRAMES);
        EXPECT_LE(m.watches[i].longestScoreWrong, NEWS_LAG_FRAMES);
    }
    for (size_t i = 2; i < m.watches.size(); ++i) { // the game's own messages: every tick as it goes
        SCOPED_TRACE(i);
        EXPECT_EQ(m.watches[i].visibilityMismatches, 0);
        EXPECT_LE(m.watches[i].worstDrawn, DRAWN_BOUND);
    }
    // Once play stops and the game's own table has gone out again, every copy holds the host's scores.
    for (const auto& client : m.h.clients)
        client->input = PlayerInput();
    m.h.parkAsteroids();
    m.h.steps(90);
    for (const auto& client : m.h.clients) {
        ASSERT_EQ(client->collector.getStatsCount(), m.h.game.getPlayerCount());
        for (int row = 0; row < m.h.game.getPlayerCount(); ++row)
            EXPECT_EQ(client->collector.getStatsScore(row), m.h.game.getPlayer(row).score);
    }
}

TEST(Compact, ALossyLinkLeavesACopyWrongOnlyBrieflyAndHeals) {
    Mixed m(5);
    ASSERT_TRUE(m.joined);
    for (int frame = 0; frame < 45 * 20; ++frame)
        m.frame(frame);
    for (int i = 0; i < 2; ++i)
        EXPECT_LE(m.watches[i].longestWrong, HEAL_FRAMES) << "copy " << i;
    for (const auto& client : m.h.clients)
        client->lossPercent = 0;
    m.h.steps(HEAL_FRAMES);
    Watch healed;
    for (int frame = 0; frame < 45; ++frame) {
        std::vector<ZEBGameStateElement> before;
        for (int id = 0; id < m.h.game.getElementCount(); ++id)
            before.push_back(m.h.game.getElement(id));
        m.h.step();
        Mixed::compare(*m.h.clients[0], before, {}, healed);
    }
    EXPECT_LE(healed.longestWrong, NEWS_LAG_FRAMES);
}

// A report reads back as the host holds it; one cut short, with a flag no
// copy sets or turning both ways is refused; controls entries are read only
// by copies that share them.
TEST(Compact, AReportReadsBackAndAMalformedOneIsRefused) {
    ZEBGameStateElement ship;
    ship.initialise(3, vector3(9.99f, -4.2f, 0.0f), 359.99f, vector3(-5.5f, 0.25f, 0.0f), SHIP_SCALE,
                    TYPE_PLAYER, 0, WHITE, true);
    CompactReport withAll = makeCompactReport(true, true, -1, &ship);
    withAll.hasAck = true;
    withAll.ack = CompactAck{65535, 0x80000001u};
    const std::vector<CompactReport> reports{withAll, makeCompactReport(false, false, 1, nullptr),
                                             makeCompactReport(false, true, 0, &ship)};
    for (const CompactReport& written : reports) {
        const networkMessage message = writeCompactReport(written);
        CompactReport read;
        ASSERT_TRUE(readCompactReport(message.getData(), message.getDataSize(), &read));
        EXPECT_EQ(read.fire, written.fire);
        EXPECT_EQ(read.thrust, written.thrust);
        EXPECT_EQ(read.turn, written.turn);
        EXPECT_EQ(read.hasAck, written.hasAck);
        EXPECT_EQ(read.ack.newest, written.ack.newest);
        EXPECT_EQ(read.ack.earlier, written.ack.earlier);
        ASSERT_EQ(read.hasShip, written.hasShip);
        if (read.hasShip) {
            EXPECT_LE(seenDistance(read.position, ship.getPosition()), COMPACT_POSITION_STEP);
            EXPECT_EQ(read.position, written.position); // quantised as the copy expects the host to hold it
            EXPECT_EQ(read.rotation, written.rotation);
            EXPECT_EQ(read.velocity, written.velocity);
        }
        for (int cut = 0; cut < message.getDataSize(); ++cut)
            EXPECT_FALSE(readCompactReport(message.getData(), cut, &read)) << "cut at " << cut;
    }
    for (const uint8_t flags : {0x40, 0x80, 0x0C}) {
        const uint8_t bytes[1] = {flags};
        CompactReport read;
        EXPECT_FALSE(readCompactReport(bytes, 1, &read)) << int(flags);
    }
    CompactEntry turning;
    turning.kind = compactKind::controls;
    turning.id = 40;
    turning.turn = -1;
    turning.thrust = true;
    compactWriter writer(7);
    ASSERT_TRUE(writer.add(turning));
    const networkMessage datagram = writer.message();
    ASSERT_EQ(datagram.getDataSize(), COMPACT_HEADER_SIZE + COMPACT_HEAD_SIZE);
    uint16_t sequence = 0;
    std::vector<CompactEntry> read;
    EXPECT_FALSE(readCompactState(datagram.getData(), datagram.getDataSize(), &sequence, &read));
    ASSERT_TRUE(readCompactState(datagram.getData(), datagram.getDataSize(), &sequence, &read, true));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].kind, compactKind::controls);
    EXPECT_EQ(read[0].turn, -1);
    EXPECT_TRUE(read[0].thrust);
}

// Copies 0 and 1 report their ships only when something changes: the host
// still has every ship where its copy flies it (a step on, as it moves a ship
// after taking its state), on a lossy uplink too, and a watcher sends nothing
// but acknowledgements.
TEST(Compact, QuietReportsKeepTheHostsShipsWhereTheCopiesFlyThem) {
    for (const int upLoss : {0, 5}) {
        SCOPED_TRACE(upLoss);
        Mixed m(0);
        ASSERT_TRUE(m.joined);
        Client& watcher = m.h.addClient(9, "Watcher");
        watcher.collector.setAnnounced(OWN_CAPABILITIES);
        watcher.collector.setWatching(true);
        m.h.connect(9);
        for (auto& client : m.h.clients)
            client->upLossPercent = upLoss;
        std::vector<int> longestOff(2, 0);
        std::vector<int> runs(2, 0);
        const int frames = 45 * 20;
        for (int frame = 0; frame < frames; ++frame) {
            m.frame(frame);
            for (int i = 0; i < 2; ++i) {
                const ZEBGameStateCollector& copy = m.h.clients[i]->collector;
                const ZEBGameStateElement& own = copy.getElementState(copy.getOwnIndex());
                const ZEBGameStateElement& host = m.h.game.getElement(copy.getOwnIndex());
                if (!own.isVisible() || !host.isVisible())
                    continue;
                ZEBGameStateElement stepped = own;
                stepped.update(play::FRAME);
                const bool off =
                    seenDistance(stepped.getPosition(), host.getPosition()) > GUESS_POSITION_THRESHOLD;
                runs[i] = off ? runs[i] + 1 : 0;
                longestOff[i] = std::max(longestOff[i], runs[i]);
            }
        }
        EXPECT_EQ(m.h.game.getRefusedStateCount(), 0u);
        const int repeatFrames = static_cast<int>(CONTROL_REPEAT_DELAY / play::FRAME) + 1;
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            const std::vector<int>& sent = m.h.clients[i]->sentTypes;
            const auto count = [&sent](int type) { return std::count(sent.begin(), sent.end(), type); };
            if (i < 2) {
                EXPECT_EQ(count(MSG_PLAYER_INPUT) + count(MSG_PLAYER_STATE), 0);
                EXPECT_LT(count(MSG_COMPACT_REPORT), frames / 4); // the design's copies send two a frame
                EXPECT_LE(longestOff[i], upLoss == 0 ? 0 : repeatFrames);
            } else {
                EXPECT_GE(count(MSG_PLAYER_STATE), frames - 45);
            }
        }
        for (const int type : watcher.sentTypes)
            EXPECT_EQ(type, MSG_COMPACT_ACK);
        EXPECT_FALSE(watcher.sentTypes.empty());
    }
}

// Types the game's own copies know, and those of the compact stream.
TEST(Compact, CopiesOfEitherKindNeverMeetATypeTheyDoNotKnow) {
    {
        Harness h(2);
        h.strictHost = true;
        Client& extended = h.addClient(1);
        extended.collector.setAnnounced(OWN_CAPABILITIES);
        ASSERT_TRUE(h.joinAll());
        h.steps(90);
        EXPECT_FALSE(extended.collector.isCompact());
        EXPECT_TRUE(h.droppedByHost.empty()); // no acknowledgement went to a host that cannot read it
        EXPECT_TRUE(std::any_of(extended.seen.begin(), extended.seen.end(),
                                [](const networkMessage& m) { return m.getType() == MSG_ELEMENT_UPDATE; }));
    }
    Mixed m(0);
    ASSERT_TRUE(m.joined);
    for (int frame = 0; frame < 90; ++frame)
        m.frame(frame);
    for (const networkMessage& message : m.h.clients[3]->seen)
        EXPECT_TRUE(play::isDesignServerType(message.getType())) << "type " << message.getType();
    int compact = 0;
    for (const networkMessage& message : m.h.clients[0]->seen) {
        compact += message.getType() == MSG_COMPACT_STATE ? 1 : 0;
        EXPECT_NE(message.getType(), MSG_ELEMENT_UPDATE);
        EXPECT_NE(message.getType(), MSG_EXPLOSION);
    }
    EXPECT_GT(compact, 0);
}
