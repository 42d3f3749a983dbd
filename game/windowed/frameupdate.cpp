#include "game/windowed/windowedgame.h"

#include "game/common/hostedgame.h"
#include "game/common/options.h"
#include "game/common/playername.h"
#include "platform/system/clock.h"
#include "platform/system/window.h"

using namespace win;

bool ZEBWindowedGame::update(float changeInTime, float frameTime) {
    if (m_window != nullptr)
        takeWindowChanges();
    if (!(frameTime >= MIN_FRAME_TIME)) // also refuses a time that is not a number
        return false;
    readKeys();
    if (m_setup.getStage() == setupStage::playing)
        updatePlaying(changeInTime);
    else
        m_setup.step(changeInTime);
    m_setup.stepHosted(changeInTime);
    takeSetupEvents();
    offerJoinAddress();
    m_soundToggleDelay -= changeInTime;
    return true;
}

// The File menu shows a phone the address while this copy serves browsers.
void ZEBWindowedGame::offerJoinAddress() {
    ZEBHostedGame* hosted = m_setup.getHosted();
    const uint16_t webPort = hosted != nullptr ? hosted->getHost().getWebPort() : 0;
    if (m_window == nullptr || webPort == m_joinWebPort)
        return;
    m_joinWebPort = webPort;
    const std::vector<std::string> addresses =
        webPort != 0 ? hosted->getHost().getWebAddresses() : std::vector<std::string>();
    setJoinAddress(m_window, addresses.empty() ? std::string() : addresses.front());
}

// What the window's menus and size asked of the game since the last frame.
void ZEBWindowedGame::takeWindowChanges() {
    if (takeWindowResized(m_window)) {
        fitToWindow();
        rememberWindowPlacement();
    }
    for (const uint32_t command : takeWindowCommands(m_window)) {
        if (command == COMMAND_NAME)
            openNameBox(m_window, m_player.name, PLAYER_NAME_MAX_BYTES);
        else if (command == COMMAND_NAME_CHOSEN)
            takeNameFromBox();
        else if (command == COMMAND_WATCH)
            toggleWatching();
        else if (command == COMMAND_LANGUAGE)
            switchLanguage();
    }
}

void ZEBWindowedGame::updatePlaying(float changeInTime) {
    if (m_setup.isOffline() || !m_setup.keepsPlaying())
        return;
    m_setup.getSession()->update(changeInTime, m_input, m_soundsLoaded ? &m_sounds : nullptr);
    m_setup.takeTable();
    updateChat(changeInTime);
    m_setup.watchForBiggerGame();
}

// A line ended with Enter goes out with the next frame; one dropped with
// Escape is forgotten.
void ZEBWindowedGame::updateChat(float changeInTime) {
    ZEBGameStateCollector& collector = m_setup.getSession()->getCollector();
    textEntry& entry = getTextEntry();
    if (entry.getState() == textEntryState::entered)
        collector.say(entry.getText());
    if (entry.getState() == textEntryState::entered || entry.getState() == textEntryState::cancelled)
        entry.close();
    m_chat.takeFrom(collector);
    m_chat.step(changeInTime);
}

void ZEBWindowedGame::showOfflineFrame(float gameSeconds) {
    ZEBClientSession* session = m_setup.getSession();
    if (session == nullptr)
        return;
    session->showFrame(gameSeconds, m_soundsLoaded ? &m_sounds : nullptr);
    m_chat.takeFrom(session->getCollector());
    m_chat.step(gameSeconds);
}

void ZEBWindowedGame::forgetShownMoment() {
    if (ZEBClientSession* session = m_setup.getSession())
        session->clearEffects();
    m_chat.clear();
}

void ZEBWindowedGame::takeSetupEvents() {
    const uint32_t events = m_setup.takeEvents();
    if (events & SETUP_SESSION_OPENED)
        m_followed = -1;
    if (events & SETUP_JOINED)
        m_input.clear();
    if (events & SETUP_LEFT_GAME) {
        getTextEntry().close();
        m_chat.clear();
    }
}
