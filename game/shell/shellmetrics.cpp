#include "game/server/zebgamestategame.h"
#include "game/shell/servercounters.h"
#include "game/shell/serverevent.h"
#include "game/shell/shell.h"
#include "game/shell/shellnetwork.h"
#include "networklib/networkhost.h"
#include "platform/http/httptextserver.h"

#include <chrono>
#include <cstdio>

namespace {

constexpr const char* METRICS_PATH = "/metrics";
constexpr const char* METRICS_CONTENT_TYPE = "text/plain; version=0.0.4; charset=utf-8";

httpTextServer* g_metricsServer = nullptr;
ZEBServerCounters g_counters;
ZEBTickStatistics g_tickStatistics;
uint64_t g_refusedJoins = 0;

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

bool startServerCounters() {
    if (!g_options.metrics)
        return true;
    g_metricsServer = new httpTextServer();
    if (!g_metricsServer->start(g_options.metricsAddress, g_options.metricsPort, METRICS_PATH,
                                METRICS_CONTENT_TYPE,
                                [] { return formatServerCounters(g_counters.read()); })) {
        std::fprintf(stderr,
                     "zeb: cannot serve the counters on %s:%u (address not on this machine or port taken)\n",
                     g_options.metricsAddress.c_str(), static_cast<unsigned>(g_options.metricsPort));
        stopServerCounters();
        return false;
    }
    printServerEvent("ZEB server: counters on http://%s:%u%s", g_options.metricsAddress.c_str(),
                     g_metricsServer->getPort(), METRICS_PATH);
    return true;
}

void recordServerTick(double tickSeconds, size_t refusedJoins) {
    if (g_metricsServer == nullptr)
        return;
    const double now = secondsNow();
    g_tickStatistics.recordTick(now, tickSeconds);
    g_refusedJoins += refusedJoins;
    ZEBServerCounterValues values;
    values.playersConnected = static_cast<uint32_t>(g_serverGame->getConnectedPlayerCount());
    values.ticksPerSecond = g_tickStatistics.getTicksPerSecond(now);
    values.longestTickSeconds = g_tickStatistics.getLongestTick(now);
    values.traffic = g_host->getStats();
    values.refusedJoins = g_refusedJoins + values.traffic.refusedConnects;
    values.droppedMessages = g_host->getDroppedCount() + g_serverGame->getRefusedStateCount();
    g_counters.publish(values);
}

void stopServerCounters() {
    delete g_metricsServer;
    g_metricsServer = nullptr;
}
