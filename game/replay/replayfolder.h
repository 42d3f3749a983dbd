#pragma once

#include "platform/system/folderfiles.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The recordings kept for the user: the newest few, within a size allowance.
constexpr size_t KEPT_RECORDINGS = 10;
constexpr uint64_t KEPT_RECORDINGS_BYTES = 100u * 1024u * 1024u;

// The folder of the recordings, within the user's data folder; empty when
// there is none.
std::string replayFolder(const std::string& userDataFolder);

// A recording's name from the time it began (UTC) and the milliseconds
// within that second: names sort by age. "2026-12-07_21-40-05-123.zebreplay"
std::string replayFileName(std::time_t began, int milliseconds);

// Which recordings go, oldest first, so that at most keepCount remain and
// they take at most maxBytes together. Names that are not the recorder's own
// are left alone.
std::vector<std::string> recordingsToRemove(std::vector<folderFile> files, size_t keepCount,
                                            uint64_t maxBytes);
