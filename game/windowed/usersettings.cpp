#include "game/windowed/usersettings.h"

#include "game/common/playername.h"
#include "platform/language/languagechoice.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"
#include "platform/system/boundedfile.h"
#include "platform/system/userfiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr size_t MAX_LANGUAGE_BYTES = 32;
constexpr const char* CONTROL_KEYS[CONTROL_COUNT] = {"key_thrust", "key_left", "key_right", "key_fire",
                                                     "key_sound"};

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool parseSwitch(const std::string& value, bool& on) {
    if (value == "on" || value == "yes" || value == "true" || value == "1")
        on = true;
    else if (value == "off" || value == "no" || value == "false" || value == "0")
        on = false;
    else
        return false;
    return true;
}

bool parseSize(const std::string& value, int& size) {
    if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int parsed = std::atoi(value.c_str());
    if (parsed < SETTINGS_MIN_WINDOW_SIZE || parsed > SETTINGS_MAX_WINDOW_SIZE)
        return false;
    size = parsed;
    return true;
}

// One key and its value; false with the reason when either is not understood.
bool applySetting(const std::string& key, const std::string& value, userSettings& settings,
                  std::string& reason) {
    for (int c = 0; c < CONTROL_COUNT; ++c) {
        if (key == CONTROL_KEYS[c]) {
            if (parseKeyList(value, settings.keys.keys[c]))
                return true;
            reason = tr("needs one to four key names separated by commas");
            return false;
        }
    }
    if (key == "name")
        return acceptPlayerName(value, settings.name, reason);
    if (key == "language") {
        if (value.empty() || (value.size() <= MAX_LANGUAGE_BYTES && isLanguageCode(value))) {
            settings.language = value;
            return true;
        }
        reason = tr("needs a language code such as de or pt_BR");
        return false;
    }
    if (key == "sound" || key == "full_screen" || key == "record") {
        bool& on =
            key == "sound" ? settings.sound : (key == "record" ? settings.record : settings.fullScreen);
        if (parseSwitch(value, on))
            return true;
        reason = tr("needs on or off");
        return false;
    }
    if (key == "window_width" || key == "window_height") {
        if (parseSize(value, key == "window_width" ? settings.windowWidth : settings.windowHeight))
            return true;
        reason = tr("needs a number of pixels from 200 to 16384");
        return false;
    }
    if (key == "web") {
        const bool number =
            !value.empty() && value.size() <= 5 && value.find_first_not_of("0123456789") == std::string::npos;
        if (value == "off" || (number && std::atol(value.c_str()) <= 65535)) {
            settings.webPort = value == "off" ? -1 : static_cast<int>(std::atol(value.c_str()));
            return true;
        }
        reason = tr("needs off or a TCP port from 0 to 65535");
        return false;
    }
    reason = tr("is not a setting");
    return false;
}

} // namespace

std::string settingsFilePath() {
    const std::string folder = userConfigFolder();
    return folder.empty() ? std::string() : folder + "/zeb/settings.ini";
}

bool parseSettings(const std::string& text, userSettings& settings, std::string& error) {
    userSettings parsed = settings;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#')
            continue;
        const size_t equals = content.find('=');
        const std::string where = formatText(tr("line %d: "), number);
        if (equals == std::string::npos) {
            error = where + formatText(tr("\"%s\" is not key = value"), content.c_str());
            return false;
        }
        const std::string key = trimmed(content.substr(0, equals));
        std::string reason;
        if (!applySetting(key, trimmed(content.substr(equals + 1)), parsed, reason)) {
            error = where + key + " " + reason;
            return false;
        }
    }
    settings = parsed;
    return true;
}

std::string settingsText(const userSettings& settings) {
    std::string text = "# ZEB settings; the game writes this file again when sound, window size or full "
                       "screen change.\n";
    text += "name = " + settings.name + "\n";
    for (int c = 0; c < CONTROL_COUNT; ++c)
        text += std::string(CONTROL_KEYS[c]) + " = " + keyListText(settings.keys.keys[c]) + "\n";
    text += std::string("sound = ") + (settings.sound ? "on" : "off") + "\n";
    text += "window_width = " + std::to_string(settings.windowWidth) + "\n";
    text += "window_height = " + std::to_string(settings.windowHeight) + "\n";
    text += std::string("full_screen = ") + (settings.fullScreen ? "on" : "off") + "\n";
    text += std::string("record = ") + (settings.record ? "on" : "off") + "\n";
    if (!settings.language.empty()) // the system's language leaves no line
        text += "language = " + settings.language + "\n";
    if (settings.webPort >= 0)
        text += "web = " + std::to_string(settings.webPort) + "\n";
    return text;
}

bool loadSettings(const std::string& path, userSettings& settings, std::string& error) {
    std::string text;
    const boundedFileResult result = readBoundedFile(path, SETTINGS_MAX_FILE_BYTES, text, error);
    if (result == boundedFileResult::missing)
        return true;
    if (result == boundedFileResult::refused) {
        error = formatText(tr("the file %s"), error.c_str());
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        error = tr("the file holds a zero byte");
        return false;
    }
    return parseSettings(text, settings, error);
}

bool saveSettings(const std::string& path, const userSettings& settings) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!(file << settingsText(settings)) || !file.flush())
            return false;
    }
    return replaceFile(temporary, path);
}
