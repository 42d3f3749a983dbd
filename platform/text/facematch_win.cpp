#include "platform/text/facematch.h"

#include "platform/system/executablepath.h"
#include "platform/system/widetext.h"

#include <windows.h>

#include <vector>

namespace {

// Windows has no fontconfig: the program ships Arial's metric twin beside
// itself, and the system's Arial serves when that file is missing.
constexpr const char* SHIPPED_FACE_FILE = "LiberationSans-Regular.ttf";
constexpr const char* SHIPPED_FACE_FAMILY = "Liberation Sans";
constexpr const char* SYSTEM_FACE_FILE = "\\Fonts\\arial.ttf";
constexpr const char* SYSTEM_FACE_FAMILY = "Arial";
// The face for the characters Arial's twin lacks, shipped beside the program.
constexpr const char* FALLBACK_FACE_NAME = "WenQuanYi Micro Hei";
constexpr const char* FALLBACK_FACE_FILE = "wqy-microhei.ttc";

std::string windowsFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? fromWide(std::wstring(folder, length)) : std::string();
}

} // namespace

// Every face name but the fallback's is answered with the same face: the game
// asks for Arial only.
std::string findFaceFile(const char* faceName, std::string* family) {
    const std::string programFolder = getExecutableDirectory();
    if (faceName != nullptr && std::string(faceName) == FALLBACK_FACE_NAME) {
        const std::string file = programFolder + "\\" + FALLBACK_FACE_FILE;
        if (programFolder.empty() || !fileExists(file))
            return std::string();
        if (family != nullptr)
            *family = FALLBACK_FACE_NAME;
        return file;
    }
    std::vector<std::pair<std::string, const char*>> candidates;
    if (!programFolder.empty())
        candidates.emplace_back(programFolder + "\\" + SHIPPED_FACE_FILE, SHIPPED_FACE_FAMILY);
    const std::string system = windowsFolder();
    if (!system.empty())
        candidates.emplace_back(system + SYSTEM_FACE_FILE, SYSTEM_FACE_FAMILY);
    for (const auto& [file, name] : candidates) {
        if (!fileExists(file))
            continue;
        if (family != nullptr)
            *family = name;
        return file;
    }
    return std::string();
}
