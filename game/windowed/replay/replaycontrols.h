#pragma once

#include "game/replay/zebreplayplayer.h"
#include "platform/system/keystates.h"

// The replay's keys: Space pauses, Left and Right jump, Up and Down change the
// speed, each once for every press, however quickly they come.
class ZEBReplayControls {
  public:
    explicit ZEBReplayControls(ZEBReplayPlayer& player) : m_player(player) {}

    // The presses since the last frame; true when the replay jumped, so that
    // what was shown of the moment left must be forgotten.
    bool readKeys(keyStates& keys);

  private:
    int presses(keyStates& keys, uint32_t key);

    ZEBReplayPlayer& m_player;
    keyStates m_previous; // a key set down without a message is a press too
};
