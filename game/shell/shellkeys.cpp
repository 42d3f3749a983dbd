#include "game/shell/shell.h"

#include "platform/system/gamepad.h"
#include "platform/system/window.h"
#include "sound/soundlist.h"

using namespace win;

namespace {

bool anyDown(control which) {
    for (const uint32_t key : g_bindings.of(which)) {
        if (key < KEY_TABLE_SIZE && g_keys[key] != 0)
            return true;
    }
    return false;
}

} // namespace

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
        const gamepadControls pad = readGamepads();
        g_input.up = anyDown(control::thrust) || pad.thrust;
        g_input.left = anyDown(control::left) || pad.left;
        g_input.right = anyDown(control::right) || pad.right;
        g_input.fire = anyDown(control::fire) || pad.fire;
    }
    if (g_soundToggleDelay <= 0.0f && anyDown(control::sound)) {
        g_soundEnabled = !g_soundEnabled;
        if (g_soundList != nullptr)
            g_soundList->setEnabled(g_soundEnabled);
        g_soundToggleDelay = SOUND_TOGGLE_DELAY;
        g_settings.sound = g_soundEnabled;
        saveUserSettings();
        // Consumed: holding the key toggles again only on a repeated key-down.
        for (const uint32_t key : g_bindings.of(control::sound)) {
            if (key < KEY_TABLE_SIZE)
                g_keys[key] = 0;
        }
    }
}
