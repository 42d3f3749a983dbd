#include "game/windowed/replay/replaycontrols.h"

#include "platform/system/virtualkeys.h"

#include <algorithm>

using namespace win;

bool ZEBReplayControls::readKeys(keyStates& keys) {
    for (int press = presses(keys, VK_SPACE); press > 0; --press)
        m_player.togglePause();
    const int back = presses(keys, VK_LEFT);
    const int ahead = presses(keys, VK_RIGHT);
    for (int press = 0; press < back; ++press)
        m_player.jumpBy(-REPLAY_JUMP_MS);
    for (int press = 0; press < ahead; ++press)
        m_player.jumpBy(REPLAY_JUMP_MS);
    for (int press = presses(keys, VK_UP); press > 0; --press)
        m_player.faster();
    for (int press = presses(keys, VK_DOWN); press > 0; --press)
        m_player.slower();
    m_previous = keys;
    return back + ahead > 0;
}

int ZEBReplayControls::presses(keyStates& keys, uint32_t key) {
    const bool newlyDown = keys.isDown(key) && !m_previous.isDown(key);
    return std::max(keys.takePresses(key), newlyDown ? 1 : 0);
}
