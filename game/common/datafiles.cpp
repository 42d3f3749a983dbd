#include "game/common/datafiles.h"

#include "networklib/messagelog.h"
#include "platform/system/executablepath.h"
#include "platform/system/userfiles.h"

#include <vector>

std::string findDataFile(const std::string& name) {
    if (fileExists(name))
        return name;
    std::vector<std::string> candidates;
    const std::string folder = getExecutableDirectory();
    if (!folder.empty()) {
        candidates.push_back(folder + "/" + name);
        candidates.push_back(folder + "/../share/zeb/" + name);
    }
#ifdef ZEB_INSTALL_DATA_DIR
    candidates.push_back(std::string(ZEB_INSTALL_DATA_DIR) + "/" + name);
#endif
    for (const std::string& candidate : candidates) {
        if (fileExists(candidate))
            return candidate;
    }
    return name;
}

std::string messageLogPath() {
    const std::string folder = userLogFolder();
    return folder.empty() ? std::string(MESSAGE_LOG_FILE_NAME) : folder + "/" + MESSAGE_LOG_FILE_NAME;
}
