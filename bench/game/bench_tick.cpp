// One server tick with eight players all firing among twenty asteroid
// families, and one client update on the messages of such a tick.

#include "core/random.h"
#include "game/client/zebgamestatecollector.h"
#include "game/rules/protocol.h"
#include "game/rules/zebobject.h"
#include "game/server/zebhostedgamestate.h"
#include "networklib/networkmessage.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr float FRAME = 1.0f / 45.0f;
constexpr int PLAYERS = 8;
constexpr int FAMILIES = 20;

std::vector<ZEBObject> makeShapes() {
    const vector3 ship[] = {vector3(1.0f, 0.0f, 0.0f), vector3(-1.0f, 0.6f, 0.0f),
                            vector3(-1.0f, -0.6f, 0.0f)};
    const vector3 bullet[] = {vector3(0.1f, 0.1f, 0.0f), vector3(-0.1f, 0.1f, 0.0f),
                              vector3(-0.1f, -0.1f, 0.0f), vector3(0.1f, -0.1f, 0.0f)};
    std::vector<vector3> rock(10); // a ten-sided jagged ring
    for (int i = 0; i < 10; ++i) {
        const float angle = static_cast<float>(i) * 0.6283185f;
        const float radius = i % 2 ? 0.8f : 1.0f;
        rock[i] = vector3(radius * std::cos(angle), radius * std::sin(angle), 0.0f);
    }
    std::vector<ZEBObject> shapes(3);
    shapes[0].create(TYPE_PLAYER, ship, 3);
    shapes[1].create(TYPE_BULLET, bullet, 4);
    shapes[2].create(TYPE_ASTEROID, rock.data(), static_cast<int>(rock.size()));
    return shapes;
}

networkMessage from(uint32_t player, const networkMessage& sent) {
    networkMessage message;
    message.setFromReceived(player, sent.getWireBuffer(), sent.getWireSize());
    return message;
}

struct Game {
    Game() : shapes(makeShapes()) {
        seedRandom(2718u);
        game.setAsteroids(FAMILIES, 1.0f);
        game.sortObjects(shapes);
        game.createAsteroids();
        messageQueue joins;
        for (uint32_t id = 1; id <= PLAYERS; ++id)
            joins.push(from(id, writeJoinRequest("Player")));
        messageQueue replies;
        game.tick(0.0f, shapes, joins, replies);
        for (int p = 0; p < PLAYERS; ++p) {
            // Spread the ships round the area, turned different ways.
            ZEBGameStateElement ship = game.getElement(game.getPlayer(p).shipID);
            ship.setPosition(vector3(-8.0f + 2.0f * p, (p % 2 ? 4.0f : -4.0f), 0.0f));
            ship.setRotation(45.0f * p);
            PlayerInput input;
            input.fire = true;
            clientMessages.push_back(from(p + 1, writePlayerInput(input)));
            clientMessages.push_back(from(p + 1, writePlayerState(ship)));
        }
    }

    void tick(messageQueue& toSend) {
        messageQueue received;
        for (const networkMessage& message : clientMessages)
            received.push(message);
        game.tick(FRAME, shapes, received, toSend);
    }

    std::vector<ZEBObject> shapes;
    ZEBHostedGameState game;
    std::vector<networkMessage> clientMessages;
};

void BM_ServerTick(benchmark::State& state) {
    Game g;
    int64_t messages = 0;
    for (auto _ : state) {
        messageQueue toSend;
        g.tick(toSend);
        messages += toSend.size();
        benchmark::DoNotOptimize(toSend);
    }
    state.counters["messages/tick"] =
        benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ServerTick)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CollectorUpdate(benchmark::State& state) {
    Game g;
    ZEBGameStateCollector collector;
    collector.setPlayerName("Player");
    networkMessage full;
    g.game.sendFullState(full, g.game.getPlayer(0).shipID);
    messageQueue join;
    join.push(from(0, full));
    messageQueue ignored;
    collector.update(FRAME, join, ignored);

    // The messages of a tick in full play, as every client receives them.
    for (int i = 0; i < 30; ++i) {
        messageQueue warm;
        g.tick(warm);
    }
    messageQueue produced;
    g.tick(produced);
    std::vector<networkMessage> tickMessages;
    while (produced.hasMessages())
        tickMessages.push_back(from(0, produced.pop()));

    PlayerInput input;
    input.fire = true;
    input.left = true;
    for (auto _ : state) {
        messageQueue received;
        for (const networkMessage& message : tickMessages)
            received.push(message);
        messageQueue out;
        collector.setInput(input);
        collector.update(FRAME, received, out);
        benchmark::DoNotOptimize(out);
    }
    state.counters["messages/update"] = static_cast<double>(tickMessages.size());
}
BENCHMARK(BM_CollectorUpdate)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
