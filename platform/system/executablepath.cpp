#include "platform/system/executablepath.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

std::string getExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return std::string();
    const std::string full(path, static_cast<size_t>(length));
    const size_t slash = full.find_last_of('/');
    if (slash == std::string::npos)
        return std::string();
    return full.substr(0, slash == 0 ? 1 : slash);
}

bool fileExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), R_OK) == 0;
}
