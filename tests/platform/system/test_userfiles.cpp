#include "platform/system/userfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

// Settings are saved as a new file put in the old one's place, which a plain
// rename refuses on Windows when the old one is there.
TEST(UserFiles, ReplacingPutsTheNewFileInPlaceWhetherOrNotOneWasThere) {
    const std::string target = "userfiles.ini";
    const std::string fresh = "userfiles.ini.new";
    for (const bool existing : {false, true}) {
        std::filesystem::remove(target);
        if (existing)
            writeText(target, "old");
        writeText(fresh, "new");
        EXPECT_TRUE(replaceFile(fresh, target)) << "existing: " << existing;
        EXPECT_EQ(readText(target), "new");
        EXPECT_FALSE(std::filesystem::exists(fresh));
    }
}
