// What a LAN party asks of the connections, in wall-clock time on loopback:
// how long a newcomer waits after a burst of 64 half-open connects, and how
// long a host takes to notice a peer that vanished behind a poor link (50 ms
// delay and 5 % loss each way). Both must stay within 5 s.

#include "tests/networklib/lossyrelay.h"
#include "tests/networklib/nettesthelpers.h"

#include "platform/net/netguid.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using benchClock = std::chrono::steady_clock;
constexpr int DEADLINE_MS = 10000;

double secondsSince(benchClock::time_point start) {
    return std::chrono::duration<double>(benchClock::now() - start).count();
}

void sendHalfOpenBurst(uint16_t port, uint32_t firstID) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(NET_LOOPBACK_HOST);
    to.sin_port = htons(port);
    for (uint32_t i = 0; i < 64; ++i) {
        // An ENet connect command that is never followed up (big-endian).
        uint8_t d[52] = {0x8F, 0xFF, 0, 0, 0x82, 0xFF, 0, 1};
        const uint32_t words[] = {1400, 32768, 1, 0, 0, 5000, 2, 2, firstID + i, 1};
        for (int w = 0; w < 10; ++w) {
            const uint32_t v = htonl(words[w]);
            std::memcpy(d + 12 + 4 * w, &v, 4);
        }
        sendto(fd, d, sizeof(d), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    }
    close(fd);
}

void BM_JoinAfterHalfOpenBurst(benchmark::State& state) {
    const netGuid guid = makeRandomGuid();
    uint32_t burst = 0;
    for (auto _ : state) {
        auto host = makeHost(guid);
        sendHalfOpenBurst(host->getPort(), 0x1000u * ++burst);
        const auto start = benchClock::now();
        auto newcomer = makeClient(guid);
        newcomer->connectTo(loopbackAddress(*host));
        if (!waitUntil([&] { return newcomer->isConnected(); }, DEADLINE_MS)) {
            state.SkipWithError("the newcomer never got in");
            break;
        }
        state.SetIterationTime(secondsSince(start));
    }
}
BENCHMARK(BM_JoinAfterHalfOpenBurst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_KilledPeerDetectedBehindAPoorLink(benchmark::State& state) {
    const netGuid guid = makeRandomGuid();
    uint32_t seed = 0;
    for (auto _ : state) {
        auto host = makeHost(guid);
        lossyRelay relay({NET_LOOPBACK_HOST, host->getPort()}, 50, 5, ++seed);
        auto client = makeClient(guid);
        client->connectTo("127.0.0.1:" + std::to_string(relay.getPort()));
        arrivals atHost;
        if (!waitForEvent(*host, atHost, networkEventKind::playerJoined, DEADLINE_MS) ||
            !waitUntil([&] { return client->isConnected(); }, DEADLINE_MS)) {
            state.SkipWithError("could not connect through the relay");
            break;
        }
        const uint8_t input[5] = {};
        for (int frame = 0; frame < 90; ++frame) { // two seconds of play
            messageQueue out;
            out.push(networkMessage(9, input, sizeof(input)));
            client->sendMessages(out);
            waitUntil([] { return false; }, 22);
        }
        relay.setBlackhole(true); // the peer is killed
        const auto start = benchClock::now();
        if (!waitForEvent(*host, atHost, networkEventKind::playerLeft, DEADLINE_MS)) {
            state.SkipWithError("the vanished peer was never dropped");
            break;
        }
        state.SetIterationTime(secondsSince(start));
    }
}
BENCHMARK(BM_KilledPeerDetectedBehindAPoorLink)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
