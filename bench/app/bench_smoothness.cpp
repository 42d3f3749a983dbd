// How smoothly a player's copy draws another player's ship on a poor link: a
// dedicated host and two clients in this process, in real time, the clients
// behind a lossy relay on loopback with jitter. Client A flies (turning,
// thrusting, coasting); every frame, the distance between where client B draws
// A's ship and where the host has it is recorded, and how far B's drawing moves
// from one frame to the next. Run by hand; the arguments are the jitter in
// milliseconds, the loss in percent, and the stream: the compact one (both
// ways) or the design's.

#include "game/client/zebgamestatecollector.h"
#include "game/rules/playarea.h"
#include "game/server/zebhostedgamestate.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "platform/net/netguid.h"
#include "tests/game/playharness.h"
#include "tests/networklib/lossyrelay.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

namespace {

constexpr float FRAME = 1.0f / 45.0f;
constexpr int JOIN_FRAMES = 90;
constexpr int PLAY_FRAMES = 45 * 12;
constexpr int MAX_JOIN_WAIT_FRAMES = 45 * 10;

struct player {
    networkClient client;
    ZEBGameStateCollector collector;
};

using play::seenDistance;

// A turns one way, the other, not at all, and thrusts a quarter of the time.
PlayerInput flying(int frame) {
    PlayerInput input;
    input.left = (frame / 60) % 3 == 0;
    input.right = (frame / 60) % 3 == 1;
    input.up = (frame / 20) % 4 == 0;
    return input;
}

float percentile(std::vector<float> values, double fraction) {
    if (values.empty())
        return 0.0f;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// The field holds one tiny asteroid at rest in a corner: nothing to hit, and no new round.
void clearField(ZEBHostedGameState& game) {
    for (int id = 0; id < game.getElementCount(); ++id) {
        ZEBGameStateElement& element = elementOf(game, id);
        if (element.getType() != TYPE_ASTEROID)
            continue;
        element.setVelocity(ZERO);
        element.setScale(0.01f);
        element.setPosition(vector3(9.5f, 9.5f, 0.0f));
    }
}

void BM_RemoteShipSmoothness(benchmark::State& state) {
    const int jitterMs = static_cast<int>(state.range(0));
    const int lossPercent = static_cast<int>(state.range(1));
    const bool compact = state.range(2) != 0;
    const netGuid guid = makeRandomGuid();
    for (auto _ : state) {
        std::vector<ZEBObject> shapes = play::makeShapes();
        ZEBHostedGameState game;
        seedRandom(2026u);
        game.setAsteroids(1, 1.0f);
        game.sortObjects(shapes);
        game.createAsteroids();
        clearField(game);
        networkHost host;
        host.setApplicationGuid(guid);
        host.setPort(0);
        host.initialise();
        host.startHosting();
        lossyRelay relay({NET_LOOPBACK_HOST, host.getPort()}, 0, lossPercent, 77u);
        relay.setJitter(jitterMs);
        player players[2];
        for (player& p : players) {
            p.client.setApplicationGuid(guid);
            p.client.initialise();
            p.client.connectTo("127.0.0.1:" + std::to_string(relay.getPort()));
            p.collector.setPlayerName("Smooth");
            if (!compact)
                p.collector.setAnnounced(OWN_CAPABILITIES & ~CAPABILITY_COMPACT);
        }

        std::vector<float> errors;
        float largestJump = 0.0f;
        vector3 lastDrawn;
        bool drawnBefore = false;
        int joinedAt = -1;
        auto next = std::chrono::steady_clock::now();
        for (int frame = 0; frame < MAX_JOIN_WAIT_FRAMES + PLAY_FRAMES; ++frame) {
            const bool joined = players[0].collector.hasJoined() && players[1].collector.hasJoined();
            if (joined && joinedAt < 0)
                joinedAt = frame;
            const bool playing = joinedAt >= 0 && frame >= joinedAt + JOIN_FRAMES;
            if (playing && frame >= joinedAt + JOIN_FRAMES + PLAY_FRAMES)
                break;
            for (int i = 0; i < 2; ++i) {
                messageQueue in;
                messageQueue out;
                players[i].client.receiveMessages(in);
                players[i].collector.setInput(i == 0 && playing ? flying(frame) : PlayerInput());
                players[i].collector.update(FRAME, in, out);
                players[i].client.sendMessages(out);
            }
            const int ship = players[0].collector.getOwnIndex();
            const ZEBGameStateCollector& watcher = players[1].collector;
            if (playing && ship < watcher.getElementCount()) {
                const bool shown =
                    game.getElement(ship).isVisible() && watcher.getElementState(ship).isVisible();
                const vector3 drawn = watcher.getDrawnPosition(ship);
                if (shown) {
                    errors.push_back(seenDistance(drawn, game.getElement(ship).getPosition()));
                    if (drawnBefore)
                        largestJump = std::max(largestJump, seenDistance(drawn, lastDrawn));
                }
                lastDrawn = drawn;
                drawnBefore = shown;
            }
            messageQueue in;
            messageQueue out;
            std::vector<networkEvent> events;
            host.receiveMessages(in, events);
            game.tick(FRAME, shapes, in, events, out);
            host.sendMessages(out);
            next += std::chrono::microseconds(22222);
            std::this_thread::sleep_until(next);
        }

        state.counters["frames"] = static_cast<double>(errors.size());
        state.counters["error_median"] = percentile(errors, 0.5);
        state.counters["error_p99"] = percentile(errors, 0.99);
        state.counters["error_max"] = percentile(errors, 1.0);
        state.counters["largest_jump"] = largestJump;
        state.counters["jump_limit"] = 2.0f * MAX_SHIP_SPEED * FRAME;
        for (player& p : players)
            p.client.disconnect();
        host.stopHosting();
    }
}
BENCHMARK(BM_RemoteShipSmoothness)
    ->ArgsProduct({{0, 20, 50}, {0, 2, 5}, {1, 0}})
    ->ArgNames({"jitter_ms", "loss_percent", "compact"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
