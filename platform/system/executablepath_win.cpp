#include "platform/system/executablepath.h"

#include "platform/system/widetext.h"

#include <windows.h>

#include <vector>

namespace {

constexpr DWORD LONGEST_PATH = 32768; // the longest path Windows allows, in UTF-16 units

} // namespace

std::string getExecutableDirectory() {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    while (true) {
        length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size() || path.size() >= LONGEST_PATH)
            break;
        path.resize(path.size() * 2);
    }
    const std::string full = fromWide(std::wstring(path.data(), length));
    const size_t slash = full.find_last_of("\\/");
    if (slash == std::string::npos)
        return std::string();
    return full.substr(0, slash);
}

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
