// The traffic of a full game: a dedicated host and eight clients in this
// process, over loopback, playing (turning, thrusting, firing) in real time
// for a fixed number of frames. Reports what each client receives on the wire
// (UDP payload, ENet headers included), the host's processor time per tick and
// the messages and message bytes a client receives per second, by type.

#include "core/random.h"
#include "game/client/zebgamestatecollector.h"
#include "game/common/hostedlevel.h"
#include "game/rules/protocol.h"
#include "game/server/zebhostedgamestate.h"
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "platform/net/netguid.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <thread>

namespace {

constexpr int CLIENTS = 8;
constexpr float FRAME = 1.0f / 45.0f;
constexpr int JOIN_FRAMES = 90;
constexpr int PLAY_FRAMES = 45 * 20;

struct player {
    networkClient client;
    ZEBGameStateCollector collector;
};

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Each player turns one way or the other, thrusts now and then and fires.
PlayerInput inputFor(int index, int frame) {
    PlayerInput input;
    input.left = (frame / 60 + index) % 3 == 0;
    input.right = (frame / 60 + index) % 3 == 1;
    input.up = (frame / 20 + index) % 4 == 0;
    input.fire = (frame + index) % 10 == 0;
    return input;
}

void BM_EightPlayersTraffic(benchmark::State& state) {
    const netGuid guid = makeRandomGuid();
    for (auto _ : state) {
        seedRandom(2026u);
        std::vector<ZEBObject> shapes;
        ZEBHostedGameState game;
        hostLevel(loadLevel(std::string(ZEB_ASSET_DIR) + "/level_0.xml"), game, shapes);
        game.createAsteroids();
        networkHost host;
        host.setApplicationGuid(guid);
        host.setPort(0);
        host.initialise();
        host.startHosting();
        std::vector<std::unique_ptr<player>> players;
        for (int i = 0; i < CLIENTS; ++i) {
            players.push_back(std::make_unique<player>());
            players.back()->client.setApplicationGuid(guid);
            players.back()->client.initialise();
            players.back()->client.connectTo("127.0.0.1:" + std::to_string(host.getPort()));
            players.back()->collector.setPlayerName("Bench " + std::to_string(i));
        }

        std::map<int, long> received;      // by type, at the first client, while playing
        std::map<int, long> receivedBytes; // their message bytes (type and payload), by type
        uint64_t bytesAtStart = 0;
        double hostSeconds = 0.0;
        auto next = std::chrono::steady_clock::now();
        for (int frame = 0; frame < JOIN_FRAMES + PLAY_FRAMES; ++frame) {
            const bool playing = frame >= JOIN_FRAMES;
            if (frame == JOIN_FRAMES) {
                bytesAtStart = 0;
                for (const auto& p : players)
                    bytesAtStart += p->client.getReceivedBytes();
            }
            for (int i = 0; i < CLIENTS; ++i) {
                player& p = *players[i];
                messageQueue in;
                messageQueue out;
                p.client.receiveMessages(in);
                if (playing && i == 0) {
                    messageQueue copy = in;
                    while (copy.hasMessages()) {
                        const networkMessage message = copy.pop();
                        ++received[message.getType()];
                        receivedBytes[message.getType()] += 4 + message.getDataSize();
                    }
                }
                p.collector.setInput(inputFor(i, frame));
                p.collector.update(FRAME, in, out);
                p.client.sendMessages(out);
            }
            messageQueue in;
            messageQueue out;
            std::vector<networkEvent> events;
            host.receiveMessages(in, events);
            const double before = threadSeconds();
            game.tick(FRAME, shapes, in, events, out);
            host.sendMessages(out);
            if (playing)
                hostSeconds += threadSeconds() - before;
            next += std::chrono::microseconds(22222);
            std::this_thread::sleep_until(next);
        }

        uint64_t bytes = 0;
        int joined = 0;
        for (const auto& p : players) {
            bytes += p->client.getReceivedBytes();
            joined += p->collector.hasJoined() ? 1 : 0;
        }
        const double seconds = PLAY_FRAMES * FRAME;
        state.counters["joined"] = joined;
        state.counters["client_bytes_per_s"] = static_cast<double>(bytes - bytesAtStart) / CLIENTS / seconds;
        state.counters["host_cpu_us_per_tick"] = hostSeconds / PLAY_FRAMES * 1e6;
        for (const auto& [type, count] : received)
            state.counters["type_" + std::to_string(type) + "_per_s"] = static_cast<double>(count) / seconds;
        for (const auto& [type, count] : receivedBytes)
            state.counters["type_" + std::to_string(type) + "_bytes_per_s"] =
                static_cast<double>(count) / seconds;
        for (auto& p : players)
            p->client.disconnect();
        host.stopHosting();
    }
}
BENCHMARK(BM_EightPlayersTraffic)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
