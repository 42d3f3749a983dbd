#include "game/shell/gameshell.h"

#include "platform/system/gamepad.h"
#include "platform/system/window.h"

keyStates& ZEBGameShell::getKeys() {
    return m_window != nullptr ? getWindowKeys(m_window) : m_keys;
}

namespace {

bool anyDown(const keyBindings& bindings, const keyStates& keys, control which) {
    for (const uint32_t key : bindings.of(which)) {
        if (keys.isDown(key))
            return true;
    }
    return false;
}

} // namespace

void ZEBGameShell::readKeys() {
    const keyStates& keys = getKeys();
    if (m_stage == setupStage::playing) {
        const gamepadControls pad = readGamepads();
        m_input.up = anyDown(m_bindings, keys, control::thrust) || pad.thrust;
        m_input.left = anyDown(m_bindings, keys, control::left) || pad.left;
        m_input.right = anyDown(m_bindings, keys, control::right) || pad.right;
        m_input.fire = anyDown(m_bindings, keys, control::fire) || pad.fire;
    }
    if (m_soundToggleDelay <= 0.0f && anyDown(m_bindings, keys, control::sound))
        toggleSound();
}

void ZEBGameShell::toggleSound() {
    m_soundEnabled = !m_soundEnabled;
    m_sounds.setEnabled(m_soundEnabled);
    m_soundToggleDelay = SOUND_TOGGLE_DELAY;
    m_settings.sound = m_soundEnabled;
    saveUserSettings();
    // Consumed: holding the key toggles again only on a repeated key-down.
    for (const uint32_t key : m_bindings.of(control::sound))
        getKeys().set(key, false);
}
