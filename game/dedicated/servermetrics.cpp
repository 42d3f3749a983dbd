#include "game/dedicated/servermetrics.h"

#include "game/common/hostedgame.h"
#include "game/common/options.h"
#include "game/common/serverevent.h"
#include "platform/http/httptextserver.h"
#include "platform/language/translation.h"

#include <chrono>
#include <cstdio>

namespace {

constexpr const char* METRICS_PATH = "/metrics";
constexpr const char* METRICS_CONTENT_TYPE = "text/plain; version=0.0.4; charset=utf-8";

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

ZEBServerMetrics::ZEBServerMetrics() = default;
ZEBServerMetrics::~ZEBServerMetrics() = default;

bool ZEBServerMetrics::start(const gameOptions& options) {
    if (!options.metrics)
        return true;
    m_server = std::make_unique<httpTextServer>();
    if (!m_server->start(options.metricsAddress, options.metricsPort, METRICS_PATH, METRICS_CONTENT_TYPE,
                         [this] { return formatServerCounters(m_counters.read()); })) {
        std::fprintf(
            stderr,
            tr("zeb: cannot serve the counters on %s:%u (address not on this machine or port taken)\n"),
            options.metricsAddress.c_str(), static_cast<unsigned>(options.metricsPort));
        m_server.reset();
        return false;
    }
    printServerEvent(tr("ZEB server: counters on http://%s:%u%s"), options.metricsAddress.c_str(),
                     m_server->getPort(), METRICS_PATH);
    return true;
}

void ZEBServerMetrics::recordTick(const ZEBHostedGame& hosted, double tickSeconds, size_t refusedJoins) {
    if (m_server == nullptr)
        return;
    const double now = secondsNow();
    m_tickStatistics.recordTick(now, tickSeconds);
    m_refusedJoins += refusedJoins;
    const networkHost& host = hosted.getHost();
    const ZEBHostedGameState& game = hosted.getGame();
    ZEBServerCounterValues values;
    values.playersConnected = static_cast<uint32_t>(game.getConnectedPlayerCount());
    values.browserPlayersConnected = static_cast<uint32_t>(game.getConnectedBrowserCount());
    values.ticksPerSecond = m_tickStatistics.getTicksPerSecond(now);
    values.longestTickSeconds = m_tickStatistics.getLongestTick(now);
    values.traffic = host.getStats();
    values.refusedJoins = m_refusedJoins + values.traffic.refusedConnects;
    values.droppedMessages = host.getDroppedCount() + game.getRefusedStateCount();
    m_counters.publish(values);
}
