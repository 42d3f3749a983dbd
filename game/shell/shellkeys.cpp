#include "game/shell/gameshell.h"

#include "platform/system/gamepad.h"
#include "platform/system/window.h"

using namespace win;

// Key-down and key-up messages set and clear their entry of the key table;
// true when the message was one of them.
bool ZEBGameShell::handleKeyMessage(uint32_t message, uint64_t wParam) {
    if (message != WM_KEYDOWN && message != WM_KEYUP)
        return false;
    const uint32_t code = static_cast<uint32_t>(wParam & 0xFFFF);
    if (code < KEY_TABLE_SIZE)
        m_keys[code] = (message == WM_KEYDOWN) ? 1 : 0;
    return true;
}

namespace {

bool anyDown(const keyBindings& bindings, const uint8_t* keys, control which) {
    for (const uint32_t key : bindings.of(which)) {
        if (key < KEY_TABLE_SIZE && keys[key] != 0)
            return true;
    }
    return false;
}

} // namespace

void ZEBGameShell::readKeys() {
    if (m_stage == setupStage::playing) {
        const gamepadControls pad = readGamepads();
        m_input.up = anyDown(m_bindings, m_keys, control::thrust) || pad.thrust;
        m_input.left = anyDown(m_bindings, m_keys, control::left) || pad.left;
        m_input.right = anyDown(m_bindings, m_keys, control::right) || pad.right;
        m_input.fire = anyDown(m_bindings, m_keys, control::fire) || pad.fire;
    }
    if (m_soundToggleDelay <= 0.0f && anyDown(m_bindings, m_keys, control::sound))
        toggleSound();
}

void ZEBGameShell::toggleSound() {
    m_soundEnabled = !m_soundEnabled;
    m_sounds.setEnabled(m_soundEnabled);
    m_soundToggleDelay = SOUND_TOGGLE_DELAY;
    m_settings.sound = m_soundEnabled;
    saveUserSettings();
    // Consumed: holding the key toggles again only on a repeated key-down.
    for (const uint32_t key : m_bindings.of(control::sound)) {
        if (key < KEY_TABLE_SIZE)
            m_keys[key] = 0;
    }
}
