// The player's name and the settings file.

#include "game/common/options.h"
#include "game/common/playername.h"
#include "game/windowed/usersettings.h"
#include "game/windowed/windowedgame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(playerName, validUtf8UpToThirtyOneBytesCutAtACharacterBoundary) {
    struct row {
        std::string given;
        bool accepted;
        std::string kept;
    };
    const std::string thirtyOne(31, 'x');
    const row rows[] = {
        {"Ann", true, "Ann"},
        {thirtyOne + "yz", true, thirtyOne},
        {std::string(30, 'x') + "\xC3\xA9", true, std::string(30, 'x')}, // é would end at byte 32
        {std::string(29, 'x') + "\xC3\xA9!", true, std::string(29, 'x') + "\xC3\xA9"},
        {"\xF0\x9F\x9A\x80 Rocket", true, "\xF0\x9F\x9A\x80 Rocket"},
        {"", false, ""},
        {"bad\xFF", false, ""},
        {"\xC0\xAF", false, ""},         // overlong '/'
        {"\xED\xA0\x80", false, ""},     // a surrogate
        {"\xF4\x90\x80\x80", false, ""}, // beyond U+10FFFF
        {"cut\xE2\x82", false, ""},      // a sequence cut short
        {"tab\there", false, ""},
        {"del\x7F", false, ""},
        {"\xE2\x80\xAE"
         "evil",
         false, ""}, // a host would clean what --name would let through
        {"next\xC2\x85", false, ""},
    };
    for (const row& r : rows) {
        std::string name = "before";
        std::string error;
        EXPECT_EQ(acceptPlayerName(r.given, name, error), r.accepted) << r.given;
        EXPECT_EQ(name, r.accepted ? r.kept : "before") << r.given;
        EXPECT_EQ(error.empty(), r.accepted) << r.given;
    }
}

TEST(settingsFile, everySettingReadsAndWritesBack) {
    userSettings settings;
    std::string error;
    ASSERT_TRUE(parseSettings("# mine\n\n name = Zoë \nkey_thrust = I, Up\nkey_left=J\nkey_right = L\n"
                              "key_fire = Ctrl\nkey_sound = M\nsound = off\nwindow_width = 1000\n"
                              "window_height = 800\r\nfull_screen = on\nweb = 27352\n",
                              settings, error))
        << error;
    EXPECT_EQ(settings.name, "Zoë");
    EXPECT_EQ(keyListText(settings.keys.of(control::thrust)), "I, Up");
    EXPECT_EQ(keyListText(settings.keys.of(control::fire)), "Ctrl");
    EXPECT_FALSE(settings.sound);
    EXPECT_EQ(settings.windowWidth, 1000);
    EXPECT_EQ(settings.windowHeight, 800);
    EXPECT_TRUE(settings.fullScreen);
    EXPECT_EQ(settings.webPort, 27352);

    userSettings again;
    ASSERT_TRUE(parseSettings(settingsText(settings), again, error)) << error;
    EXPECT_EQ(settingsText(again), settingsText(settings));
}

TEST(settingsFile, aBrokenLineRefusesTheWholeFileAndNamesTheLine) {
    const char* broken[] = {
        "sound = maybe",     "window_width = 150",   "window_height = 99999",
        "window_width = -5", "key_fire = Escape",    "name =",
        "name = \xFF",       "colour = red",         "just some words",
        "full_screen = 2",   "key_left = A,B,C,D,E", "web = 65536",
        "web = on",
    };
    for (const char* line : broken) {
        userSettings settings;
        settings.name = "kept";
        std::string error;
        EXPECT_FALSE(parseSettings(std::string("sound = off\n") + line + "\n", settings, error)) << line;
        EXPECT_EQ(settings.name, "kept") << line;
        EXPECT_TRUE(settings.sound) << line; // nothing of the file is taken
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << line << ": " << error;
    }
}

// The shell's use of the file, in a configuration folder of this test's own.
class playerSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("zeb-settings-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                    "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_folder);
        setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    // The player presses the sound key: the change is saved.
    void toggleSound() {
        m_game.getKeys().set(KEY_Z, true);
        m_game.readKeys();
    }
    std::string file() const { return (m_folder / "zeb" / "settings.ini").string(); }
    void write(const std::string& text) const {
        std::filesystem::create_directories(m_folder / "zeb");
        std::ofstream(file()) << text;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path m_folder;
    gameOptions m_options;
    ZEBWindowedGame m_game{m_options};
};

TEST_F(playerSettings, withoutFileOrNameThePlayerIsPlayerAndAChangeCreatesTheFile) {
    m_game.loadUserSettings();
    EXPECT_EQ(m_game.getPlayerName(), "Player");
    EXPECT_FALSE(std::filesystem::exists(file()));
    toggleSound();
    userSettings written;
    std::string error;
    ASSERT_TRUE(loadSettings(file(), written, error)) << error;
    EXPECT_FALSE(written.sound);
    EXPECT_EQ(written.name, "Player");
}

TEST_F(playerSettings, theFileSetsNameKeysAndSoundAndTheCommandLineNameWins) {
    write("name = Ada\nkey_fire = F\nsound = off\n");
    m_game.loadUserSettings();
    EXPECT_EQ(m_game.getPlayerName(), "Ada");
    EXPECT_EQ(keyListText(m_game.getBindings().of(control::fire)), "F");
    EXPECT_FALSE(m_game.isSoundEnabled());

    m_options.name = "Grace";
    m_game.loadUserSettings();
    EXPECT_EQ(m_game.getPlayerName(), "Grace");
    EXPECT_EQ(m_game.getSettings().name, "Ada"); // the file keeps its own
}

TEST_F(playerSettings, aBrokenFileSaysSoOnceAndIsLeftAlone) {
    const std::string broken = "name = Ada\nsound = loud\n";
    write(broken);
    testing::internal::CaptureStderr();
    m_game.loadUserSettings();
    EXPECT_TRUE(m_game.isSoundEnabled()); // the defaults
    toggleSound();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_game.getPlayerName(), "Player");
    EXPECT_EQ(read(file()), broken);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_NE(said.find("line 2: sound needs on or off"), std::string::npos) << said;
    EXPECT_NE(m_game.getSettingsProblem().find("line 2: sound needs on or off"),
              std::string::npos); // for the window
}

} // namespace
