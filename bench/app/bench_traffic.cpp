// The traffic of a full game: a dedicated host and eight clients in this
// process, over loopback, playing in real time for a fixed number of frames:
// scripted (turning, thrusting and firing on a fixed beat) or lively (each
// client flown by the bot pilot, changing its controls as a player does), on
// the compact stream or the design's. Reports each way, per player, the bytes
// (UDP payload, ENet headers included) and datagrams on ENet's counters, the
// host's intake, its processor time per tick, and the messages and message
// bytes a client receives per second, by type.

#include "core/random.h"
#include "game/bot/zebbotpilot.h"
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
    ZEBBotPilot pilot;
    explicit player(uint32_t seed) : pilot(seed) {}
};

struct counts {
    uint64_t hostSent = 0, hostSentDatagrams = 0, hostReceived = 0, hostReceivedDatagrams = 0;
    uint64_t clientSent = 0, clientSentDatagrams = 0, clientReceived = 0;
};

counts countNow(const networkHost& host, const std::vector<std::unique_ptr<player>>& players) {
    counts now;
    const netServerStats stats = host.getStats();
    now.hostSent = stats.sentBytes;
    now.hostSentDatagrams = stats.sentDatagrams;
    now.hostReceived = stats.receivedBytes;
    now.hostReceivedDatagrams = stats.receivedDatagrams;
    for (const auto& p : players) {
        now.clientSent += p->client.getSentBytes();
        now.clientSentDatagrams += p->client.getSentDatagrams();
        now.clientReceived += p->client.getReceivedBytes();
    }
    return now;
}

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

// Arguments: lively (bots) or scripted; the compact stream or the design's.
// The compact stream's entries by kind: 1 motion, 2 hide, 3 explode, 4 score, 5 controls.
void countEntries(const networkMessage& message, std::map<int, long>& entries) {
    uint16_t sequence = 0;
    std::vector<CompactEntry> read;
    if (message.getType() != MSG_COMPACT_STATE ||
        !readCompactState(message.getData(), message.getDataSize(), &sequence, &read, true))
        return;
    for (const CompactEntry& entry : read)
        ++entries[static_cast<int>(entry.kind)];
}

void BM_EightPlayersTraffic(benchmark::State& state) {
    const bool lively = state.range(0) != 0;
    const bool compact = state.range(1) != 0;
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
            players.push_back(std::make_unique<player>(1000u + static_cast<uint32_t>(i)));
            players.back()->client.setApplicationGuid(guid);
            players.back()->client.initialise();
            players.back()->client.connectTo("127.0.0.1:" + std::to_string(host.getPort()));
            players.back()->collector.setPlayerName("Bench " + std::to_string(i));
            if (!compact)
                players.back()->collector.setAnnounced(OWN_CAPABILITIES & ~CAPABILITY_COMPACT);
        }

        std::map<int, long> received;      // by type, at the first client, while playing
        std::map<int, long> receivedBytes; // their message bytes (type and payload), by type
        std::map<int, long> entries;       // compact entries by kind, at the first client
        counts atStart;
        double hostSeconds = 0.0;
        auto next = std::chrono::steady_clock::now();
        for (int frame = 0; frame < JOIN_FRAMES + PLAY_FRAMES; ++frame) {
            const bool playing = frame >= JOIN_FRAMES;
            if (frame == JOIN_FRAMES)
                atStart = countNow(host, players);
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
                        countEntries(message, entries);
                    }
                }
                p.collector.setInput(lively ? p.pilot.decide(p.collector, FRAME) : inputFor(i, frame));
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

        const counts atEnd = countNow(host, players);
        int joined = 0;
        for (const auto& p : players)
            joined += p->collector.hasJoined() ? 1 : 0;
        const double seconds = PLAY_FRAMES * FRAME;
        const auto perPlayer = [&](uint64_t end, uint64_t start) {
            return static_cast<double>(end - start) / CLIENTS / seconds;
        };
        state.counters["joined"] = joined;
        state.counters["client_bytes_per_s"] = perPlayer(atEnd.clientReceived, atStart.clientReceived);
        state.counters["down_bytes_per_player_s"] = perPlayer(atEnd.hostSent, atStart.hostSent);
        state.counters["down_datagrams_per_player_s"] =
            perPlayer(atEnd.hostSentDatagrams, atStart.hostSentDatagrams);
        state.counters["up_bytes_per_player_s"] = perPlayer(atEnd.clientSent, atStart.clientSent);
        state.counters["up_datagrams_per_player_s"] =
            perPlayer(atEnd.clientSentDatagrams, atStart.clientSentDatagrams);
        state.counters["host_intake_bytes_per_s"] =
            perPlayer(atEnd.hostReceived, atStart.hostReceived) * CLIENTS;
        state.counters["host_intake_datagrams_per_s"] =
            perPlayer(atEnd.hostReceivedDatagrams, atStart.hostReceivedDatagrams) * CLIENTS;
        state.counters["host_cpu_us_per_tick"] = hostSeconds / PLAY_FRAMES * 1e6;
        for (const auto& [type, count] : received)
            state.counters["type_" + std::to_string(type) + "_per_s"] = static_cast<double>(count) / seconds;
        for (const auto& [type, count] : receivedBytes)
            state.counters["type_" + std::to_string(type) + "_bytes_per_s"] =
                static_cast<double>(count) / seconds;
        for (const auto& [kind, count] : entries)
            state.counters["entry_" + std::to_string(kind) + "_per_s"] = static_cast<double>(count) / seconds;
        for (auto& p : players)
            p->client.disconnect();
        host.stopHosting();
    }
}
BENCHMARK(BM_EightPlayersTraffic)
    ->ArgNames({"lively", "compact"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
