// Thousands of seeded random and mutated messages of every type, fed to the
// server and to a client. Nothing may crash or hang, and a message that the
// rules refuse must leave the state exactly as it was.

#include "tests/game/playharness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using play::FRAME;
using play::received;

namespace {

using Bytes = std::vector<uint8_t>;

const int TYPES[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1, 1000000};

class Fuzzer {
  public:
    explicit Fuzzer(uint32_t seed) : m_random(seed) {}

    int below(int n) { return static_cast<int>(m_random() % static_cast<uint32_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }

    float wildFloat() {
        const float pool[] = {0.0f,   -0.0f,   1.0f,          -10.0f,   10.0f,     9.99f, 1e9f,
                              -1e30f, 3.4e38f, std::nanf(""), INFINITY, -INFINITY, 1e-40f};
        if (chance(50))
            return pool[below(sizeof(pool) / sizeof(pool[0]))];
        uint32_t bits = m_random();
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }

    Bytes randomBytes(int size) {
        Bytes bytes(size);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(m_random());
        return bytes;
    }

    // A well-formed payload, then perhaps bent out of shape.
    Bytes mutate(const networkMessage& valid) {
        Bytes bytes(valid.getData(), valid.getData() + valid.getDataSize());
        switch (below(5)) {
        case 0:
            break;
        case 1: // flip a few bytes
            for (int i = below(4); i >= 0 && !bytes.empty(); --i)
                bytes[below(static_cast<int>(bytes.size()))] = static_cast<uint8_t>(m_random());
            break;
        case 2: // cut
            bytes.resize(bytes.empty() ? 0 : below(static_cast<int>(bytes.size())));
            break;
        case 3: // grow
            bytes.resize(bytes.size() + 1 + below(70), static_cast<uint8_t>(m_random()));
            break;
        default: // a float somewhere
            if (bytes.size() >= 8) {
                const float value = wildFloat();
                std::memcpy(bytes.data() + 4 + 4 * below(static_cast<int>(bytes.size() - 4) / 4), &value, 4);
            }
            break;
        }
        return bytes;
    }

  private:
    std::mt19937 m_random;
};

ZEBGameStateElement randomElement(Fuzzer& f, int id) {
    ZEBGameStateElement e;
    e.initialise(id, vector3(f.wildFloat(), f.wildFloat(), 0.0f), f.wildFloat(),
                 vector3(f.wildFloat(), f.wildFloat(), 0.0f), 1.0f, f.below(4), f.below(6), WHITE,
                 f.chance(50));
    return e;
}

// A payload for the type, well formed or not.
networkMessage randomMessage(Fuzzer& f, int type, int elementCount) {
    const int id = f.below(elementCount + 4) - 2;
    networkMessage valid;
    switch (type) {
    case MSG_JOIN_REQUEST:
        valid = writeJoinRequest("Fuzz");
        break;
    case MSG_FULL_STATE:
        valid = writeFullState({randomElement(f, 0), randomElement(f, 1)}, f.below(3));
        break;
    case MSG_NEW_ELEMENT:
        valid = writeNewElement(randomElement(f, id));
        break;
    case MSG_ELEMENT_UPDATE:
        valid = writeElementUpdate(randomElement(f, id));
        break;
    case MSG_PLAYER_INPUT:
        valid = networkMessage(type, f.randomBytes(PLAYER_INPUT_SIZE).data(), PLAYER_INPUT_SIZE);
        break;
    case MSG_PLAYER_STATE:
        valid = writePlayerState(randomElement(f, id));
        break;
    case MSG_PLAYER_STATS:
        valid = writePlayerStats(std::vector<PlayerStats>(f.below(3)));
        break;
    case MSG_EXPLOSION: {
        Explosion explosion;
        explosion.elementID = id;
        explosion.duration = f.wildFloat();
        valid = writeExplosion(explosion);
        break;
    }
    default:
        valid = networkMessage(type, nullptr, 0);
        break;
    }
    Bytes bytes = f.chance(15) ? f.randomBytes(f.below(200)) : f.mutate(valid);
    return networkMessage(type, bytes.data(), static_cast<int>(bytes.size()));
}

bool finite(const vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

Bytes snapshot(const ZEBHostedGameState& game) {
    Bytes bytes;
    for (int id = 0; id < game.getElementCount(); ++id) {
        uint8_t record[FULL_RECORD_SIZE];
        game.getElement(id).writeFull(record);
        bytes.insert(bytes.end(), record, record + FULL_RECORD_SIZE);
    }
    for (int i = 0; i < game.getPlayerCount(); ++i) {
        const PlayerRecord& p = game.getPlayer(i);
        const uint8_t flags[] = {p.input.up,    p.input.down, p.input.left,
                                 p.input.right, p.input.fire, p.connected};
        bytes.insert(bytes.end(), flags, flags + sizeof(flags));
        bytes.insert(bytes.end(), p.name, p.name + PLAYER_NAME_SIZE);
    }
    return bytes;
}

// The server's rules, stated independently: would this message be refused?
bool serverRefuses(const ZEBHostedGameState& game, const std::vector<uint32_t>& admitted,
                   const networkMessage& m) {
    const int size = m.getDataSize();
    auto playerOf = [&](uint32_t id) {
        for (size_t i = 0; i < admitted.size(); ++i)
            if (admitted[i] == id)
                return static_cast<int>(i);
        return -1;
    };
    switch (m.getType()) {
    case MSG_JOIN_REQUEST:
        return size != JOIN_REQUEST_SIZE || playerOf(m.getPlayerID()) >= 0 ||
               game.getConnectedPlayerCount() >= MAX_PLAYERS;
    case MSG_PLAYER_INPUT: {
        const int index = playerOf(m.getPlayerID());
        return size != PLAYER_INPUT_SIZE || index < 0 || !game.getPlayer(index).connected;
    }
    case MSG_PLAYER_STATE: {
        const int index = playerOf(m.getPlayerID());
        if (size != PLAYER_STATE_SIZE || index < 0 || !game.getPlayer(index).connected)
            return true;
        int32_t id = 0;
        std::memcpy(&id, m.getData(), 4);
        float values[7];
        std::memcpy(values, m.getData() + 4, sizeof(values));
        bool allFinite = true;
        for (const float v : values)
            allFinite = allFinite && std::isfinite(v);
        return id != game.getPlayer(index).shipID || !allFinite;
    }
    default:
        return true;
    }
}

} // namespace

TEST(Robust, ServerSurvivesAndIgnoresWhatItRefuses) {
    play::Harness h(2, 4242u);
    h.addClient(1);
    h.addClient(2);
    ASSERT_TRUE(h.joinAll());
    std::vector<uint32_t> admitted = {1, 2};
    Fuzzer f(2024u);
    int refused = 0;
    int accepted = 0;

    for (int round = 0; round < 6000; ++round) {
        const int type = f.chance(70) ? TYPES[1 + f.below(12)] : TYPES[f.below(16)];
        const uint32_t sender = static_cast<uint32_t>(f.below(6));
        networkMessage message = received(randomMessage(f, type, h.game.getElementCount()), sender);
        // Aim a share of ship states at the sender's own ship, so some get through.
        if (type == MSG_PLAYER_STATE && message.getDataSize() == PLAYER_STATE_SIZE && sender >= 1 &&
            sender <= 2 && f.chance(50)) {
            Bytes bytes(message.getData(), message.getData() + PLAYER_STATE_SIZE);
            const int32_t ship = h.game.getPlayer(sender - 1).shipID;
            std::memcpy(bytes.data(), &ship, 4);
            message = received(networkMessage(type, bytes.data(), PLAYER_STATE_SIZE), sender);
        }

        const bool refuse = serverRefuses(h.game, admitted, message);
        const Bytes before = snapshot(h.game);
        messageQueue in;
        in.push(message);
        messageQueue out;
        h.game.handleMessages(in, {}, out);
        if (refuse) {
            ++refused;
            ASSERT_EQ(snapshot(h.game), before) << "type " << type << " round " << round;
            ASSERT_FALSE(out.hasMessages());
        } else {
            ++accepted;
            if (type == MSG_JOIN_REQUEST)
                admitted.push_back(sender);
        }

        if (round % 8 == 0) {
            messageQueue none;
            messageQueue toSend;
            h.game.tick(f.chance(20) ? 0.0f : FRAME, h.shapes, none, toSend);
            for (int id = 0; id < h.game.getElementCount(); ++id) {
                const ZEBGameStateElement& e = h.game.getElement(id);
                if (!e.isVisible())
                    continue;
                ASSERT_TRUE(finite(e.getPosition())) << id;
                ASSERT_TRUE(e.getPosition().x >= -10.0f && e.getPosition().x < 10.0f) << id;
            }
        }
    }
    EXPECT_EQ(h.game.getElementCount(), 2 * ELEMENTS_PER_FAMILY + 3 * h.game.getPlayerCount());
    EXPECT_LE(h.game.getPlayerCount(), MAX_PLAYERS);
    EXPECT_GT(refused, 1000);
    EXPECT_GT(accepted, 40);
}

namespace {

Bytes snapshot(ZEBGameStateCollector& c) {
    Bytes bytes;
    for (int i = 0; i < c.getElementCount(); ++i) {
        uint8_t record[FULL_RECORD_SIZE];
        c.getElementState(i).writeFull(record);
        bytes.insert(bytes.end(), record, record + FULL_RECORD_SIZE);
        bytes.push_back(c.isExploding(i));
    }
    for (int i = 0; i < c.getStatsCount(); ++i) {
        const char* name = c.getStatsName(i);
        bytes.insert(bytes.end(), name, name + std::strlen(name));
        const int score = c.getStatsScore(i);
        bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&score),
                     reinterpret_cast<const uint8_t*>(&score) + 4);
    }
    return bytes;
}

bool collectorRefuses(const ZEBGameStateCollector& c, const networkMessage& m) {
    const int size = m.getDataSize();
    const uint8_t* data = m.getData();
    int32_t first = 0;
    if (size >= 4)
        std::memcpy(&first, data, 4);
    const bool inList = first >= 0 && first < c.getElementCount();
    switch (m.getType()) {
    case MSG_NEW_ELEMENT:
        return size != NEW_ELEMENT_SIZE || first != c.getElementCount();
    case MSG_ELEMENT_UPDATE: {
        if (size != ELEMENT_UPDATE_SIZE || !inList)
            return true;
        int32_t inner = 0;
        std::memcpy(&inner, data + 4, 4);
        return inner != first || (first == c.getOwnIndex() && c.getElementState(first).isVisible());
    }
    case MSG_EXPLOSION:
        return size != EXPLOSION_SIZE || !inList;
    case MSG_PLAYER_STATS:
        return size < 4 || first < 0 || size != 4 + 56 * static_cast<int64_t>(first);
    default:
        return true;
    }
}

// Accepted updates may carry any float; put such elements back at rest so that
// the next comparison is not disturbed by NaN arithmetic.
void repair(ZEBGameStateCollector& c) {
    for (int i = 0; i < c.getElementCount(); ++i) {
        ZEBGameStateElement& e = elementOf(c, i);
        if (!finite(e.getPosition()) || !finite(e.getVelocity()) || !std::isfinite(e.getRotation())) {
            e.setPosition(ZERO);
            e.setVelocity(ZERO);
            e.setRotation(0.0f);
        }
    }
}

} // namespace

TEST(Robust, ClientSurvivesAndIgnoresWhatItRefuses) {
    play::Harness h(2, 777u);
    play::Client& client = h.addClient(1);
    ASSERT_TRUE(h.joinAll());
    h.step();
    ZEBGameStateCollector& c = client.collector;
    Fuzzer f(99u);
    int refused = 0;

    for (int round = 0; round < 6000; ++round) {
        const int type = f.chance(80) ? TYPES[1 + f.below(12)] : TYPES[f.below(16)];
        const networkMessage message = received(randomMessage(f, type, c.getElementCount()), 0);
        messageQueue none;
        messageQueue out;
        repair(c);
        c.update(0.0f, none, out); // settle the prediction's own effects first
        const bool refuse = collectorRefuses(c, message);
        const Bytes before = snapshot(c);
        messageQueue in;
        in.push(message);
        c.update(0.0f, in, out);
        if (refuse) {
            ++refused;
            ASSERT_EQ(snapshot(c), before) << "type " << type << " round " << round;
        }
        if (round % 16 == 0) {
            messageQueue more;
            c.update(FRAME, none, more);
            std::vector<int32_t> sounds;
            c.takeSounds(sounds);
        }
        ASSERT_TRUE(c.hasJoined());
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GE(c.getElementCount(), 2 * ELEMENTS_PER_FAMILY + 3);
}
