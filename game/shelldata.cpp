#include "game/shelldata.h"

#include "platform/system/executablepath.h"

std::string findDataFile(const std::string& name) {
    if (fileExists(name))
        return name;
    const std::string folder = getExecutableDirectory();
    if (folder.empty())
        return name;
    const std::string candidates[] = {folder + "/" + name, folder + "/../share/zeb/" + name};
    for (const std::string& candidate : candidates) {
        if (fileExists(candidate))
            return candidate;
    }
    return name;
}
