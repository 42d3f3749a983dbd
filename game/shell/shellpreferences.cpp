#include "game/shell/shell.h"

#include "core/displaytext.h"

#include <cstdio>

namespace {

std::string g_settingsPath; // empty: nothing is read or written (tests, no home folder)
bool g_settingsWritable = false;
std::string g_settingsProblem; // for the window: the terminal is not where a player looks

} // namespace

// A broken file is left as the user wrote it, so a mistake can be mended;
// the game plays with the defaults meanwhile.
void loadUserSettings() {
    g_settingsPath = settingsFilePath();
    g_settingsWritable = false;
    shellSettings settings;
    std::string error;
    g_settingsProblem.clear();
    if (!g_settingsPath.empty() && !loadSettings(g_settingsPath, settings, error)) {
        std::fprintf(stderr,
                     "zeb: settings file %s, %s; playing with the defaults and leaving the file as it is\n",
                     makeEscapedText(g_settingsPath).c_str(), makeEscapedText(error).c_str());
        g_settingsProblem = "Settings file " + g_settingsPath + ", " + error + ": playing with the defaults.";
        settings = shellSettings();
    } else {
        g_settingsWritable = !g_settingsPath.empty();
    }
    g_settings = settings;
    g_bindings = settings.keys;
    g_soundEnabled = settings.sound;
    g_playerName = g_options.name.empty() ? settings.name : g_options.name;
}

const std::string& getSettingsProblem() {
    return g_settingsProblem;
}

void saveUserSettings() {
    if (g_settingsWritable && !saveSettings(g_settingsPath, g_settings)) {
        std::fprintf(stderr, "zeb: cannot write the settings file %s\n", g_settingsPath.c_str());
        g_settingsWritable = false; // said once
    }
}
