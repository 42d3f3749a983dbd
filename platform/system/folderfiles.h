#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// Files of a folder the program keeps for the user (recordings), by UTF-8
// path on every system.

struct folderFile {
    std::string name; // within the folder
    uint64_t size = 0;
};

// Makes the folder and those above it that are missing; true when it is there.
bool makeFolders(const std::string& folder);

// The regular files of the folder whose names end with suffix, in no order;
// empty when the folder cannot be read.
std::vector<folderFile> listFolderFiles(const std::string& folder, const std::string& suffix);

bool removeFolderFile(const std::string& path);
bool folderFileExists(const std::string& path);

// Opens path for writing, binary, replacing what was there.
bool openForWriting(std::ofstream& stream, const std::string& path);
