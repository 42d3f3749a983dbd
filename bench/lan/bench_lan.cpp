#include "platform/net/netclient.h"
#include "platform/net/netsettings.h"
#include "tests/app/appprocess.h"
#include "tests/lan/lanbed.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <set>
#include <string>

// The real program on a LAN of network namespaces (run as root, by hand):
// how long a joiner across the switch takes to its first frame, how long the
// others take to play on after the host's link goes down, and what one search
// sends and hears on a machine with four cards.
namespace {

constexpr int DEADLINE_MS = 30000;
constexpr int MSG_FULL_STATE_TYPE = 6;

const bool g_environment = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ZEB_SOURCE_DIR", ZEB_SOURCE_DIR, 0);
    unsetenv("DISPLAY");
    return true;
}();

int fullStates(const appProcess& copy) {
    return countType(readLogTypes(copy.folder + "/message_log.csv"), MSG_FULL_STATE_TYPE);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct party {
    lanBed bed;
    std::deque<appProcess> copies;

    ~party() {
        for (appProcess& copy : copies)
            killAndReap(copy);
    }
    appProcess& start(int machine, const std::vector<std::string>& arguments) {
        const std::string folder = makeTempFolder("bench-lan");
        copyGameData(folder);
        copies.push_back(bed.start(machine, ZEB_PROGRAM, arguments, folder));
        return copies.back();
    }
};

bool skipWithoutBed(benchmark::State& state, const lanBed& bed) {
    if (bed.isAvailable())
        return false;
    state.SkipWithError(("no LAN test bed: " + bed.getProblem()).c_str());
    return true;
}

void joinAcrossTheSwitch(benchmark::State& state) {
    for (auto _ : state) {
        party lan;
        if (skipWithoutBed(state, lan.bed))
            return;
        const int sw = lan.bed.addSwitch();
        lan.bed.wire(lan.bed.addMachine(), sw);
        lan.bed.wire(lan.bed.addMachine(), sw);
        appProcess& host = lan.start(1, {"--log", "--frames", "100000"});
        waitUntil([&] { return fullStates(host) >= 1; }, DEADLINE_MS);
        const auto start = std::chrono::steady_clock::now();
        appProcess& joiner = lan.start(2, {"--log", "--frames", "100000"});
        if (!waitUntil([&] { return fullStates(joiner) >= 1; }, DEADLINE_MS))
            state.SkipWithError("the joiner did not join");
        state.SetIterationTime(secondsSince(start));
    }
}
BENCHMARK(joinAcrossTheSwitch)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void playOnAfterTheHostsLinkGoesDown(benchmark::State& state) {
    for (auto _ : state) {
        party lan;
        if (skipWithoutBed(state, lan.bed))
            return;
        const int sw = lan.bed.addSwitch();
        for (int i = 0; i < 3; ++i)
            lan.bed.wire(lan.bed.addMachine(), sw);
        appProcess& host = lan.start(1, {"--log", "--frames", "100000"});
        waitUntil([&] { return fullStates(host) >= 1; }, DEADLINE_MS);
        appProcess& a = lan.start(2, {"--log", "--frames", "100000"});
        appProcess& b = lan.start(3, {"--log", "--frames", "100000"});
        waitUntil([&] { return fullStates(a) >= 1 && fullStates(b) >= 1; }, DEADLINE_MS);
        const auto start = std::chrono::steady_clock::now();
        lan.bed.setLink(1, sw, false);
        if (!waitUntil([&] { return fullStates(a) >= 2 && fullStates(b) >= 2; }, DEADLINE_MS))
            state.SkipWithError("the party did not go on");
        state.SetIterationTime(secondsSince(start));
    }
}
BENCHMARK(playOnAfterTheHostsLinkGoesDown)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// Two games on switches 1 and 2, and one on a machine wired to 3 and 4 that
// the searcher hears through two cards.
void searchWithFourCards(benchmark::State& state) {
    party lan;
    if (skipWithoutBed(state, lan.bed))
        return;
    const int searcher = lan.bed.addMachine();
    for (int sw = 1; sw <= 4; ++sw)
        lan.bed.wire(searcher, lan.bed.addSwitch());
    lan.bed.setDefaultRoute(searcher, 1);
    const int hostA = lan.bed.addMachine();
    lan.bed.wire(hostA, 1);
    const int hostB = lan.bed.addMachine();
    lan.bed.wire(hostB, 2);
    const int hostTwice = lan.bed.addMachine();
    lan.bed.wire(hostTwice, 3);
    lan.bed.wire(hostTwice, 4);
    for (const int host : {hostA, hostB, hostTwice})
        lan.start(host, {"--server"});
    size_t queries = 0;
    size_t answers = 0;
    size_t sessions = 0;
    for (auto _ : state) {
        lan.bed.inside(searcher, [&] {
            netClient client;
            client.initialise();
            const std::vector<uint32_t> targets = defaultDiscoveryTargets();
            const std::vector<netHostAnswer> heard = client.enumerateHosts(
                ZEB_APPLICATION_GUID, targets, NET_DEFAULT_DISCOVERY_PORT, NET_DISCOVERY_WINDOW_MS);
            std::set<std::vector<uint8_t>> instances;
            for (const netHostAnswer& answer : heard)
                instances.insert(std::vector<uint8_t>(answer.applicationDesc.instanceGuid.bytes.begin(),
                                                      answer.applicationDesc.instanceGuid.bytes.end()));
            queries = targets.size();
            answers = heard.size();
            sessions = instances.size();
        });
    }
    state.counters["queries"] = static_cast<double>(queries);
    state.counters["answers"] = static_cast<double>(answers);
    state.counters["sessions"] = static_cast<double>(sessions);
}
BENCHMARK(searchWithFourCards)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
