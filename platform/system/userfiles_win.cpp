#include "platform/system/userfiles.h"

#include "platform/system/widetext.h"

#include <windows.h>

namespace {

std::string environmentFolder(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size <= 1)
        return std::string();
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size)
        return std::string();
    value.resize(length);
    return fromWide(value);
}

} // namespace

std::string userConfigFolder() {
    return environmentFolder(L"APPDATA");
}

std::string userDataFolder() {
    return environmentFolder(L"LOCALAPPDATA");
}

std::string userLogFolder() {
    const std::string local = environmentFolder(L"LOCALAPPDATA");
    if (local.empty())
        return std::string();
    const std::string folder = local + "\\zeb";
    if (!CreateDirectoryW(toWide(folder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return std::string();
    return folder;
}

// Windows' rename refuses to replace a file that exists.
bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
