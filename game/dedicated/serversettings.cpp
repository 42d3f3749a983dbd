#include "game/dedicated/serversettings.h"

#include "platform/system/boundedfile.h"

#include <algorithm>
#include <iterator>

namespace {

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool isSettingsKey(const std::string& key) {
    return std::find(std::begin(SERVER_SETTINGS_KEYS), std::end(SERVER_SETTINGS_KEYS), key) !=
           std::end(SERVER_SETTINGS_KEYS);
}

bool applyLine(const std::string& line, gameOptions& options, std::string& reason) {
    if (line.size() > SERVER_SETTINGS_MAX_LINE_BYTES) {
        reason = "the line is longer than " + std::to_string(SERVER_SETTINGS_MAX_LINE_BYTES) + " bytes";
        return false;
    }
    const std::string content = trimmed(line);
    if (content.empty() || content[0] == '#')
        return true;
    const size_t equals = content.find('=');
    if (equals == std::string::npos) {
        reason = "expected key = value";
        return false;
    }
    const std::string key = trimmed(content.substr(0, equals));
    if (!isSettingsKey(key)) {
        reason = "unknown setting \"" + key + "\"";
        return false;
    }
    return applyOption("--" + key, trimmed(content.substr(equals + 1)), options, reason);
}

bool readWholeFile(const std::string& path, std::string& text, std::string& error) {
    std::string reason;
    const boundedFileResult result = readBoundedFile(path, SERVER_SETTINGS_MAX_FILE_BYTES, text, reason);
    if (result == boundedFileResult::read)
        return true;
    error = "the settings file " + path + " " +
            (result == boundedFileResult::missing ? "does not exist" : reason);
    return false;
}

} // namespace

bool applySettings(const std::string& text, const std::string& fileName, gameOptions& options,
                   std::string& error) {
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string reason;
        if (!applyLine(text.substr(start, end - start), options, reason)) {
            error = fileName + ":" + std::to_string(number) + ": " + reason;
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool loadOptions(int argc, const char* const* argv, gameOptions& options, std::string& error) {
    gameOptions commandLine;
    if (!parseOptions(argc, argv, commandLine, error))
        return false;
    if (commandLine.config.empty() || commandLine.help || commandLine.version) {
        options = commandLine;
        return true;
    }
    gameOptions merged;
    std::string text;
    if (!readWholeFile(commandLine.config, text, error) ||
        !applySettings(text, commandLine.config, merged, error))
        return false;
    if (!parseOptions(argc, argv, merged, error))
        return false;
    options = merged;
    return true;
}
