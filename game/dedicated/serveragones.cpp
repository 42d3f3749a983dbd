#include "game/dedicated/serveragones.h"

#include "game/server/zebgamestategame.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void reportOnStandardError(const std::string& line) {
    std::fprintf(stderr, "zeb: %s\n", line.c_str());
}

} // namespace

ZEBServerAgones::ZEBServerAgones(uint16_t sidecarPort, double emptyShutdownSeconds)
    : m_started(secondsNow()), m_schedule(emptyShutdownSeconds, MAX_PLAYERS),
      m_link(sidecarPort, &reportOnStandardError) {}

bool ZEBServerAgones::tick(uint32_t players) {
    for (const ZEBAgonesRequest& request : m_schedule.tick(secondsNow() - m_started, players))
        m_link.post(request);
    return !m_schedule.isOverForLackOfPlayers();
}

void ZEBServerAgones::finish() {
    if (!m_link.finish(AGONES_FINISH_TIMEOUT_MS))
        reportOnStandardError("the Agones sidecar did not take the last calls (Shutdown)");
}

bool findAgonesSidecar(const gameOptions& options, uint16_t& port, std::string& error) {
    port = 0;
    const char* variable = std::getenv(AGONES_PORT_VARIABLE);
    if (!options.server || (!options.agones && variable == nullptr))
        return true;
    if (variable == nullptr) {
        port = AGONES_DEFAULT_SDK_PORT;
        return true;
    }
    if (parsePort(variable, port))
        return true;
    error = std::string(AGONES_PORT_VARIABLE) + " needs a port from 1 to 65535, got \"" + variable + "\"";
    return false;
}
