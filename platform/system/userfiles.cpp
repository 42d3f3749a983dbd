#include "platform/system/userfiles.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The folder the variable names when it is an absolute path, else the one
// within the home folder.
std::string baseFolder(const char* variable, const char* withinHome) {
    const char* folder = std::getenv(variable);
    if (folder != nullptr && folder[0] == '/')
        return folder;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + withinHome;
    return "";
}

} // namespace

std::string userConfigFolder() {
    return baseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string userDataFolder() {
    return baseFolder("XDG_DATA_HOME", "/.local/share");
}

std::string userLogFolder() {
    return "";
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}
