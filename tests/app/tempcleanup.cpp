#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The folders of a run that passed are removed when the program ends; those
// of a failed run stay, for their logs and screenshots.
struct tempFolderCleanup {
    ~tempFolderCleanup() {
        if (!::testing::UnitTest::GetInstance()->Passed())
            return;
        for (const std::string& path : createdTempFolders()) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    }
};

} // namespace

// Statics are destroyed in the reverse order of their construction: creating
// the folder list and the test runner before the clean-up object keeps both
// alive for it, whichever order the linker gives the static initialisers.
static const bool g_listReady = (createdTempFolders(), ::testing::UnitTest::GetInstance(), true);
static const tempFolderCleanup g_cleanup;
