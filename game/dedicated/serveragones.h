#pragma once

#include "game/common/options.h"
#include "game/dedicated/agoneslink.h"
#include "game/dedicated/agonesschedule.h"

#include <memory>
#include <string>

constexpr const char* AGONES_PORT_VARIABLE = "AGONES_SDK_HTTP_PORT"; // set by Agones in the game's pod
constexpr int AGONES_FINISH_TIMEOUT_MS = 3000; // for the last calls when the server stops

// A dedicated server under Agones: the game's ticks drive the schedule, and
// the link carries its calls to the sidecar.
class ZEBServerAgones {
  public:
    ZEBServerAgones(uint16_t sidecarPort, double emptyShutdownSeconds);

    // One tick of the game with its players; false once the game has been
    // empty for the set time after having had players.
    bool tick(uint32_t players);

    // The server stops (signal, empty game, lost network): Shutdown goes to
    // the sidecar after the players have been told.
    void finish();

  private:
    double m_started;
    ZEBAgonesSchedule m_schedule;
    ZEBAgonesLink m_link;
};

// The sidecar's port when this server runs under Agones (--agones, or the
// port variable set), 0 when it does not; false with a one-line reason when
// the variable does not hold a port.
bool findAgonesSidecar(const gameOptions& options, uint16_t& port, std::string& error);
