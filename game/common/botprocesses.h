#pragma once

#include "platform/system/childprocess.h"

#include <vector>

struct gameOptions;

// With --bots N on a copy that hosts: N bots as child processes that join its
// game over loopback. Made once the copy hosts; dying, it stops the bots and
// waits for them.
class ZEBBotProcesses {
  public:
    ZEBBotProcesses(const gameOptions& options, uint16_t gamePort);
    ~ZEBBotProcesses();
    ZEBBotProcesses(const ZEBBotProcesses&) = delete;
    ZEBBotProcesses& operator=(const ZEBBotProcesses&) = delete;

    size_t getCount() const { return m_bots.size(); }

  private:
    std::vector<pid_t> m_bots;
};
