#include "game/shell.h"

#include "platform/system/window.h"
#include "sound/soundlist.h"

bool handleKeyMessage(gameWindow*, uint32_t message, uint64_t wParam, int64_t) {
    if (message != WM_KEYDOWN && message != WM_KEYUP)
        return false;
    const uint32_t code = static_cast<uint32_t>(wParam & 0xFFFF);
    if (code < KEY_TABLE_SIZE)
        g_keys[code] = (message == WM_KEYDOWN) ? 1 : 0;
    return true;
}

void readKeys() {
    if (g_running) {
        g_input.up = g_keys[KEY_W] != 0;
        g_input.left = g_keys[KEY_A] != 0;
        g_input.right = g_keys[KEY_D] != 0;
        g_input.fire = g_keys[KEY_SPACE] != 0;
    }
    if (g_soundToggleDelay <= 0.0f && g_keys[KEY_Z] != 0) {
        g_soundEnabled = !g_soundEnabled;
        if (g_soundList != nullptr)
            g_soundList->setEnabled(g_soundEnabled);
        g_soundToggleDelay = SOUND_TOGGLE_DELAY;
        g_keys[KEY_Z] = 0; // consumed: holding the key toggles again only on a repeated key-down
    }
}
