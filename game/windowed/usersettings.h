#pragma once

#include "game/windowed/keybindings.h"

#include <string>

// What a player sets once and keeps: a simple key = value file in the user's
// configuration folder. The game writes it again whenever one of these
// changes while it runs (sound, window size, full screen).
struct userSettings {
    std::string name = "Player";
    keyBindings keys = defaultBindings();
    bool sound = true;
    int windowWidth = 700;
    int windowHeight = 720; // the menu strip and the square play area
    bool fullScreen = false;
    bool record = true;   // every game the window plays is recorded for replays
    std::string language; // the texts' language ("de"); empty: the system's
    int webPort = -1;     // when it hosts, serve browsers on this TCP port (web = PORT); -1: off
};

constexpr int SETTINGS_MIN_WINDOW_SIZE = 200;
constexpr int SETTINGS_MAX_WINDOW_SIZE = 16384;
constexpr size_t SETTINGS_MAX_FILE_BYTES = 64 * 1024; // a longer file is not a settings file

// zeb/settings.ini in the user's configuration folder ($XDG_CONFIG_HOME, or
// $HOME/.config; %APPDATA% on Windows); empty when there is none.
std::string settingsFilePath();

// Reads every line: blank lines and lines starting with '#' are skipped, the
// others are "key = value". False, with settings unchanged and a one-line
// reason naming the line in error, when anything is wrong.
bool parseSettings(const std::string& text, userSettings& settings, std::string& error);
std::string settingsText(const userSettings& settings);

// A missing file leaves the defaults and is no error; anything but a regular
// file of at most SETTINGS_MAX_FILE_BYTES is one.
bool loadSettings(const std::string& path, userSettings& settings, std::string& error);
// Writes a whole new file beside the old one and puts it in its place, so a
// crash never leaves half a file; creates the folder when needed.
bool saveSettings(const std::string& path, const userSettings& settings);
