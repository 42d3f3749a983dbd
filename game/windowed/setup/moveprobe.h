#pragma once

#include "game/client/zebgamestatecollector.h"
#include "networklib/networkclient.h"

#include <cstdint>
#include <string>

// Before a hosting copy ends its game to move to a bigger one, it makes sure
// that game is real and lets it in: it joins it to watch, which takes no
// player's place there. A game that answers searches but lets nobody play (a
// liar), or that cannot be reached from here, fails the probe, and the copy
// keeps its game. Made when a bigger game is found; it dies with its verdict.
class ZEBMoveProbe {
  public:
    enum class verdict { waiting, real, failed };

    ZEBMoveProbe(const networkClient::session& bigger, const std::string& name, uint32_t nowMs);
    ~ZEBMoveProbe();
    ZEBMoveProbe(const ZEBMoveProbe&) = delete;
    ZEBMoveProbe& operator=(const ZEBMoveProbe&) = delete;

    verdict step(uint32_t nowMs); // never waits
    const networkClient::session& getTarget() const { return m_target; }

  private:
    networkClient::session m_target;
    networkClient m_connection;
    ZEBGameStateCollector m_collector;
    uint32_t m_startedMs;
    uint32_t m_lastRequestMs;
};
