#pragma once

#include "game/common/options.h"

#include <string>

// The settings file of a dedicated server (for example /etc/zeb/server.conf,
// named by --config): one "key = value" a line, blank lines and lines starting
// with # skipped. The keys are the long options' names without the dashes and
// take the same values; only the settings of a hosting copy are allowed.
constexpr size_t SERVER_SETTINGS_MAX_FILE_BYTES = 65536;
constexpr size_t SERVER_SETTINGS_MAX_LINE_BYTES = 1024;
constexpr const char* SERVER_SETTINGS_KEYS[] = {
    "port", "discovery", "discovery-port", "session-name", "metrics", "bots", "agones-empty-shutdown",
    "lang", "web",       "web-root"};

// Applies the settings in text to options; false with the file name, the line
// number and the reason in error at the first line that is wrong.
bool applySettings(const std::string& text, const std::string& fileName, gameOptions& options,
                   std::string& error);

// The command line, with the settings file it names (if any) read first, so
// that the command line wins over the file.
bool loadOptions(int argc, const char* const* argv, gameOptions& options, std::string& error);
