#include "platform/system/folderfiles.h"

#include <filesystem>

namespace {

// Names are UTF-8 everywhere in the program; Windows' own paths are wide.
std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string textOf(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

bool makeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(pathOf(folder), error);
    return std::filesystem::is_directory(pathOf(folder), error);
}

std::vector<folderFile> listFolderFiles(const std::string& folder, const std::string& suffix) {
    std::vector<folderFile> files;
    std::error_code error;
    std::filesystem::directory_iterator entry(pathOf(folder), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::error_code entryError;
        if (!entry->is_regular_file(entryError))
            continue;
        const std::string name = textOf(entry->path().filename());
        const uintmax_t size = entry->file_size(entryError);
        if (!entryError && endsWith(name, suffix))
            files.push_back({name, static_cast<uint64_t>(size)});
    }
    return files;
}

bool removeFolderFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::remove(pathOf(path), error);
}

bool folderFileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(pathOf(path), error);
}

bool openForWriting(std::ofstream& stream, const std::string& path) {
    stream.open(pathOf(path), std::ios::binary | std::ios::trunc);
    return stream.is_open();
}
