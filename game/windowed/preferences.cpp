#include "core/displaytext.h"
#include "game/common/options.h"
#include "game/common/playername.h"
#include "game/windowed/windowedgame.h"
#include "platform/language/languagechoice.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"
#include "platform/system/window.h"

#include <cstdio>

// A broken file is left as the user wrote it, so a mistake can be mended;
// the game plays with the defaults meanwhile.
void ZEBWindowedGame::loadUserSettings() {
    m_settingsPath = settingsFilePath();
    m_settingsWritable = false;
    userSettings settings;
    std::string error;
    m_settingsProblem.clear();
    if (!m_settingsPath.empty() && !loadSettings(m_settingsPath, settings, error)) {
        std::fprintf(
            stderr,
            tr("zeb: settings file %s, %s; playing with the defaults and leaving the file as it is\n"),
            makeEscapedText(m_settingsPath).c_str(), makeEscapedText(error).c_str());
        m_settingsProblem = formatText(tr("Settings file %s, %s: playing with the defaults."),
                                       m_settingsPath.c_str(), error.c_str());
        settings = userSettings();
    } else {
        m_settingsWritable = !m_settingsPath.empty();
    }
    m_settings = settings;
    m_player.record = m_options.record && m_settings.record;
    m_player.webPort = m_settings.webPort;
    m_bindings = settings.keys;
    m_soundEnabled = settings.sound;
    m_sounds.setEnabled(m_soundEnabled);
    m_player.name = m_options.name.empty() ? settings.name : m_options.name;
}

void ZEBWindowedGame::switchLanguage() {
    if (m_language == nullptr)
        return;
    m_settings.language = m_language->nextShipped();
    m_language->use(m_settings.language);
    saveUserSettings();
}

void ZEBWindowedGame::saveUserSettings() {
    if (m_settingsWritable && !saveSettings(m_settingsPath, m_settings)) {
        std::fprintf(stderr, tr("zeb: cannot write the settings file %s\n"), m_settingsPath.c_str());
        m_settingsWritable = false; // said once
    }
}

bool ZEBWindowedGame::changePlayerName(const std::string& text, std::string& error) {
    std::string name;
    if (!acceptPlayerName(text, name, error))
        return false;
    m_player.name = name;
    m_settings.name = name;
    saveUserSettings();
    return true;
}

// The game being played keeps the name it joined with: the host knows the
// player by it, and every other copy shows it.
void ZEBWindowedGame::takeNameFromBox() {
    std::string error;
    if (changePlayerName(getNameBoxText(m_window), error))
        closeNameBox(m_window);
    else
        refuseNameBoxText(m_window, error);
}
