#include "platform/render/graphicsdevices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A device folder laid out as /dev with the nodes given; a GL driver is worth
// loading only when one of them is a graphics processor's.
TEST(graphicsDevices, onlyAProcessorsNodeMakesTheGLDriverWorthLoading) {
    struct layout {
        std::vector<const char*> nodes;
        bool expected;
    };
    const layout LAYOUTS[] = {
        {{}, false},
        {{"dri/by-path/pci-0000:00:02.0-render"}, false},
        {{"nvidiactl", "null", "fb0"}, false},
        {{"dri/renderD128"}, true},
        {{"dri/card0"}, true},
        {{"nvidia0", "nvidiactl"}, true},
    };
    const fs::path root = fs::temp_directory_path() / ("zeb-devices-" + std::to_string(getpid()));
    for (const layout& l : LAYOUTS) {
        fs::remove_all(root);
        fs::create_directories(root);
        std::string names;
        for (const char* node : l.nodes) {
            fs::create_directories((root / node).parent_path());
            std::ofstream(root / node).put('\0');
            names += std::string(node) + " ";
        }
        EXPECT_EQ(hasGraphicsDevice(root.string()), l.expected) << names;
    }
    fs::remove_all(root);
    EXPECT_FALSE(hasGraphicsDevice(root.string())); // no such folder
}

} // namespace
