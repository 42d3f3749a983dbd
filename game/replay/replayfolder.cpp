#include "game/replay/replayfolder.h"

#include "game/replay/replayformat.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t NAME_LENGTH = 23; // "2026-12-07_21-40-05-123"

// A name the recorder makes: digits and separators in their places.
bool isRecordingName(const std::string& name) {
    const std::string suffix = REPLAY_FILE_SUFFIX;
    if (name.size() != NAME_LENGTH + suffix.size() || name.compare(NAME_LENGTH, suffix.size(), suffix) != 0)
        return false;
    const std::string pattern = "dddd-dd-dd_dd-dd-dd-ddd";
    for (size_t i = 0; i < NAME_LENGTH; ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (pattern[i] == 'd' ? !digit : name[i] != pattern[i])
            return false;
    }
    return true;
}

} // namespace

std::string replayFolder(const std::string& userDataFolder) {
    return userDataFolder.empty() ? std::string() : userDataFolder + "/zeb/replays";
}

std::string replayFileName(std::time_t began, int milliseconds) {
    std::tm parts = {};
    const std::tm* utc = std::gmtime(&began);
    if (utc != nullptr)
        parts = *utc;
    char name[64];
    std::snprintf(name, sizeof(name), "%04d-%02d-%02d_%02d-%02d-%02d-%03d%s", (parts.tm_year + 1900) % 10000,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  std::clamp(milliseconds, 0, 999), REPLAY_FILE_SUFFIX);
    return name;
}

std::vector<std::string> recordingsToRemove(std::vector<folderFile> files, size_t keepCount,
                                            uint64_t maxBytes) {
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const folderFile& file) { return !isRecordingName(file.name); }),
                files.end());
    std::sort(files.begin(), files.end(),
              [](const folderFile& a, const folderFile& b) { return a.name > b.name; }); // newest first
    std::vector<std::string> removed;
    uint64_t kept = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i < keepCount && kept + files[i].size <= maxBytes)
            kept += files[i].size;
        else
            removed.push_back(files[i].name);
    }
    std::reverse(removed.begin(), removed.end());
    return removed;
}
