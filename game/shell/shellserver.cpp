#include "game/shell/shell.h"

#include "baselib/source/random.h"
#include "game/server/zebgamestategame.h"
#include "game/shell/serveragones.h"
#include "game/shell/serverevent.h"
#include "game/shell/shellnetwork.h"
#include "networklib/networkhost.h"
#include "platform/system/clock.h"
#include "platform/system/stopsignal.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

using namespace win;

namespace {

using serverClock = std::chrono::steady_clock;
constexpr int TICKS_PER_SECOND = 45;
constexpr int EXIT_BAD_SETTING = 2; // as for a command line that is not understood
constexpr auto TICK_PERIOD =
    std::chrono::duration_cast<serverClock::duration>(std::chrono::duration<double>(1.0 / TICKS_PER_SECOND));

// Tells the operator who comes and goes.
void reportPlayers(const std::vector<networkEvent>& events) {
    for (const networkEvent& event : events) {
        if (event.kind == networkEventKind::playerJoined)
            printServerEvent("Player %u joined (%u connected)", event.playerID, g_host->getPlayerCount());
        else if (event.kind == networkEventKind::playerLeft)
            printServerEvent("Player %u left (%u connected)", event.playerID, g_host->getPlayerCount());
    }
}

void reportRefusals(const std::vector<PlayerRefusal>& refusals) {
    for (const PlayerRefusal& refusal : refusals) {
        printServerEvent("Player %u refused: %s", refusal.playerID,
                         refusal.reason == refusalReason::gameFull ? "the game is full"
                                                                   : "no join request in time");
    }
}

// False once the game under Agones has been empty for its set time.
bool tickServer(float dt, ZEBServerAgones* agones) {
    const serverClock::time_point started = serverClock::now();
    messageQueue receivedMessages;
    std::vector<networkEvent> events;
    g_host->receiveMessages(receivedMessages, events);
    reportPlayers(events);
    const std::vector<PlayerRefusal> refusals = tickHostedGame(dt, receivedMessages, events);
    reportRefusals(refusals);
    recordServerTick(std::chrono::duration<double>(serverClock::now() - started).count(), refusals.size());
    return agones == nullptr || agones->tick(static_cast<uint32_t>(g_serverGame->getConnectedPlayerCount()));
}

// 45 ticks a second on a fixed schedule; each tick steps the game by the time
// that really passed since the previous one.
void serveUntilStopped(ZEBServerAgones* agones) {
    serverClock::time_point last = serverClock::now();
    serverClock::time_point next = last + TICK_PERIOD;
    while (!isStopRequested() && g_host->isConnected()) {
        std::this_thread::sleep_until(next);
        const serverClock::time_point now = serverClock::now();
        if (!tickServer(std::chrono::duration<float>(now - last).count(), agones)) {
            printServerEvent("ZEB server: no players for %ld s; shutting down",
                             g_options.agonesEmptyShutdown);
            return;
        }
        last = now;
        next += TICK_PERIOD;
        if (next < now) // fell behind (the machine was busy): do not try to catch up
            next = now + TICK_PERIOD;
    }
}

// Under Agones (--agones, or its port variable set) the sidecar hears from
// the game; null otherwise, and nothing of it runs.
std::unique_ptr<ZEBServerAgones> startAgones(uint16_t sidecarPort) {
    if (sidecarPort == 0)
        return nullptr;
    printServerEvent("ZEB server: reporting to the Agones sidecar on 127.0.0.1:%u", sidecarPort);
    return std::make_unique<ZEBServerAgones>(sidecarPort, static_cast<double>(g_options.agonesEmptyShutdown));
}

} // namespace

int runDedicatedServer() {
    uint16_t sidecarPort = 0;
    std::string error;
    if (!findAgonesSidecar(g_options, sidecarPort, error)) {
        std::fprintf(stderr, "zeb: %s\n", error.c_str());
        return EXIT_BAD_SETTING;
    }
    installStopSignals();
    seedRandom(timeGetTime());
    applyNetworkOptions();
    if (!startHostedGame()) {
        delete g_host;
        g_host = nullptr;
        // A port named by the operator that cannot be had is a setting to mend.
        return g_options.port != 0 ? EXIT_BAD_SETTING : 1;
    }
    printServerEvent("ZEB server: hosting \"%s\" on port %u; stop with Ctrl+C",
                     getHostedSessionName().c_str(), g_host->getPort());
    const bool counting = startServerCounters();
    std::unique_ptr<ZEBServerAgones> agones;
    if (counting) {
        agones = startAgones(sidecarPort);
        startBots();
        serveUntilStopped(agones.get());
        stopBots();
    }
    stopServerCounters();
    g_host->stopHosting(); // the players hear of the end before the sidecar does
    if (agones != nullptr)
        agones->finish();
    delete g_host;
    g_host = nullptr;
    delete g_serverGame;
    g_serverGame = nullptr;
    printServerEvent("ZEB server: stopped");
    return counting ? 0 : 1;
}
