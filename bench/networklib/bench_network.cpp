// Network figures on loopback. Run with ZEB_DISCOVERY=127.255.255.255 and a
// ZEB_DISCOVERY_PORT of its own; the program refuses to run otherwise.
#include "networklib/networkclient.h"
#include "networklib/networkhost.h"
#include "platform/net/netaddress.h"
#include "platform/net/netguid.h"
#include "platform/net/netsettings.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;
constexpr int WAIT_MS = 3000;
constexpr int ELEMENT_UPDATE_PAYLOAD = 37;
constexpr int SCORE_TABLE_PAYLOAD = 4 + 56 * 8;
// A GUID of this run's own: no game, test or other run ever finds these sessions.
const netGuid g_benchGuid = makeRandomGuid();

bool loopbackOnly() {
    for (const uint32_t target : getDiscoveryTargets())
        if ((target >> 24) != 127)
            return false;
    return true;
}

// Busy-polls a connection until count messages or events have arrived or the wait ends.
template <typename Connection> int receiveAtLeast(Connection& connection, int count, messageQueue& scratch) {
    int got = 0;
    std::vector<networkEvent> events;
    const auto deadline = clock_type::now() + std::chrono::milliseconds(WAIT_MS);
    while (got < count && clock_type::now() < deadline) {
        connection.receiveMessages(scratch, events);
        got += static_cast<int>(events.size());
        while (scratch.hasMessages()) {
            scratch.pop();
            ++got;
        }
    }
    return got;
}

std::unique_ptr<networkHost> startHost() {
    auto host = std::make_unique<networkHost>();
    host->setApplicationGuid(g_benchGuid);
    host->setSessionName("The Game");
    host->setPort(0);
    host->setLogging(false);
    host->initialise();
    host->startHosting();
    return host;
}

std::unique_ptr<networkClient> joinHost(networkHost& host) {
    auto client = std::make_unique<networkClient>();
    client->setApplicationGuid(g_benchGuid);
    client->setLogging(false);
    client->initialise();
    client->connectTo("127.0.0.1:" + std::to_string(host.getPort()));
    const auto deadline = clock_type::now() + std::chrono::milliseconds(WAIT_MS);
    while (!client->isConnected() && clock_type::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return client;
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()));
    return values[index];
}

// From a client's sendMessages to the host's receiveMessages, one message at a time.
void BM_OneWayLatency(benchmark::State& state) {
    if (!loopbackOnly()) {
        state.SkipWithError("set ZEB_DISCOVERY=127.255.255.255");
        return;
    }
    auto host = startHost();
    auto client = joinHost(*host);
    messageQueue scratch;
    receiveAtLeast(*host, 1, scratch); // the join
    constexpr int COUNT = 10000;
    std::vector<double> micros;
    micros.reserve(COUNT);
    const uint8_t payload[33] = {};
    for (auto _ : state) {
        for (int i = 0; i < COUNT; ++i) {
            messageQueue out;
            out.push(networkMessage(10, payload, sizeof(payload)));
            const auto sent = clock_type::now();
            client->sendMessages(out);
            if (receiveAtLeast(*host, 1, scratch) != 1)
                continue; // lost: counted below
            micros.push_back(std::chrono::duration<double, std::micro>(clock_type::now() - sent).count());
        }
    }
    state.counters["p50_us"] = percentile(micros, 0.50);
    state.counters["p99_us"] = percentile(micros, 0.99);
    state.counters["lost"] = static_cast<double>(COUNT - static_cast<int>(micros.size()));
}
BENCHMARK(BM_OneWayLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

// UDP payload bytes the host sends for one tick to 8 clients, against the
// game's own bytes (type and payload of each message, per client).
void BM_TickWireBytes(benchmark::State& state) {
    if (!loopbackOnly()) {
        state.SkipWithError("set ZEB_DISCOVERY=127.255.255.255");
        return;
    }
    auto host = startHost();
    std::vector<std::unique_ptr<networkClient>> clients;
    messageQueue scratch;
    for (int i = 0; i < 8; ++i) {
        clients.push_back(joinHost(*host));
        receiveAtLeast(*host, 1, scratch);
    }
    const std::vector<uint8_t> update(ELEMENT_UPDATE_PAYLOAD, 1), scores(SCORE_TABLE_PAYLOAD, 2);
    constexpr int MESSAGES_PER_TICK = 8 + 4 + 1;
    const double gameBytes = 8.0 * ((8 + 4) * (ELEMENT_UPDATE_PAYLOAD + 4) + (SCORE_TABLE_PAYLOAD + 4));
    uint64_t wireBytes = 0;
    int ticks = 0;
    for (auto _ : state) {
        messageQueue out;
        for (int i = 0; i < 8 + 4; ++i)
            out.push(networkMessage(8, update.data(), ELEMENT_UPDATE_PAYLOAD));
        out.push(networkMessage(11, scores.data(), SCORE_TABLE_PAYLOAD));
        const uint64_t before = host->getSentBytes();
        host->sendMessages(out);
        for (auto& client : clients)
            receiveAtLeast(*client, MESSAGES_PER_TICK, scratch);
        wireBytes += host->getSentBytes() - before;
        ++ticks;
    }
    const double perTick = static_cast<double>(wireBytes) / ticks;
    state.counters["wire_bytes_per_tick"] = perTick;
    state.counters["game_bytes_per_tick"] = gameBytes;
    state.counters["overhead_pct"] = 100.0 * (perTick - gameBytes) / gameBytes;
}
BENCHMARK(BM_TickWireBytes)->Iterations(200)->Unit(benchmark::kMicrosecond);

// Enumeration (its full window), connect and the first message from the host.
void BM_JoinTime(benchmark::State& state) {
    if (!loopbackOnly()) {
        state.SkipWithError("set ZEB_DISCOVERY=127.255.255.255");
        return;
    }
    auto host = startHost();
    messageQueue scratch;
    for (auto _ : state) {
        networkClient client;
        client.setApplicationGuid(g_benchGuid);
        client.setLogging(false);
        client.initialise();
        client.enumerateHosts();
        std::vector<std::string> sessions;
        client.getSessions(sessions);
        if (sessions.empty()) {
            state.SkipWithError("no session found");
            return;
        }
        client.connect(sessions[0]);
        receiveAtLeast(*host, 1, scratch); // the join, answered at once
        messageQueue welcome;
        welcome.push(networkMessage(6, nullptr, 0));
        host->sendMessages(welcome);
        receiveAtLeast(client, 1, scratch);
        client.disconnect();
        receiveAtLeast(*host, 1, scratch); // the leave
    }
}
BENCHMARK(BM_JoinTime)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
