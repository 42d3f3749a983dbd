#include "game/windowed/windowedgame.h"

#include "platform/system/gamepad.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/window.h"

keyStates& ZEBWindowedGame::getKeys() {
    return m_window != nullptr ? getWindowKeys(m_window) : m_keys;
}

textEntry& ZEBWindowedGame::getTextEntry() {
    return m_window != nullptr ? getWindowTextEntry(m_window) : m_textEntry;
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

void ZEBWindowedGame::readKeys() {
    const keyStates& keys = getKeys();
    // While a chat line is typed the ship holds no control: it coasts.
    if (getStage() == setupStage::playing && (isTyping() || openChatLine())) {
        m_input.clear();
    } else if (getStage() == setupStage::playing && m_player.watching) {
        m_input.clear(); // no ship to steer
        if (keys.isDown(win::VK_TAB)) {
            getKeys().set(win::VK_TAB, false); // consumed: one press, one step
            followNext();
        }
    } else if (getStage() == setupStage::playing) {
        const gamepadControls pad = readGamepads();
        m_input.up = anyDown(m_bindings, keys, control::thrust) || pad.thrust;
        m_input.left = anyDown(m_bindings, keys, control::left) || pad.left;
        m_input.right = anyDown(m_bindings, keys, control::right) || pad.right;
        m_input.fire = anyDown(m_bindings, keys, control::fire) || pad.fire;
    }
    if (m_soundToggleDelay <= 0.0f && anyDown(m_bindings, keys, control::sound))
        toggleSound();
}

bool ZEBWindowedGame::openChatLine() {
    keyStates& keys = getKeys();
    const bool asked = keys.isDown('T') || keys.isDown(win::VK_RETURN);
    if (!asked || m_setup.isOffline() || !getSession() || !getSession()->getCollector().canChat())
        return false;
    // Consumed, so the line does not open again as soon as it closes.
    const bool byLetter = keys.isDown('T');
    keys.set('T', false);
    keys.set(win::VK_RETURN, false);
    getTextEntry().open(byLetter ? 'T' : 0);
    return true;
}

void ZEBWindowedGame::toggleSound() {
    m_soundEnabled = !m_soundEnabled;
    m_sounds.setEnabled(m_soundEnabled);
    m_soundToggleDelay = SOUND_TOGGLE_DELAY;
    m_settings.sound = m_soundEnabled;
    saveUserSettings();
    // Consumed: holding the key toggles again only on a repeated key-down.
    for (const uint32_t key : m_bindings.of(control::sound))
        getKeys().set(key, false);
}
