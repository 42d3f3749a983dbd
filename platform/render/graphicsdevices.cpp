#include "platform/render/graphicsdevices.h"

#include <filesystem>
#include <unistd.h>

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool isUsableNode(const std::filesystem::path& node) {
    return access(node.c_str(), R_OK | W_OK) == 0;
}

// Entries of folder whose names start with one of the prefixes, one usable.
template <size_t N> bool anyUsable(const std::filesystem::path& folder, const char* const (&prefixes)[N]) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        for (const char* prefix : prefixes)
            if (startsWith(name, prefix) && isUsableNode(it->path()))
                return true;
    }
    return false;
}

} // namespace

bool hasGraphicsDevice(const std::string& deviceFolder) {
    static const char* const DRI_NODES[] = {"renderD", "card"};
    static const char* const NVIDIA_NODES[] = {"nvidia0"};
    const std::filesystem::path folder(deviceFolder);
    return anyUsable(folder / "dri", DRI_NODES) || anyUsable(folder, NVIDIA_NODES);
}

bool hasGraphicsDevice() {
    return hasGraphicsDevice("/dev");
}
