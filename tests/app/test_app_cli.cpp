#include "core/displaytext.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

class programCli : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override { killAndReap(m_process); }

    // Runs the program to its end; false when it did not end in time.
    bool run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
             int timeoutMs = 20000) {
        if (m_process.folder.empty())
            m_process.folder = makeTempFolder("cli");
        m_process = startProgram(ZEB_PROGRAM, arguments, m_process.folder, environment);
        return waitForExit(m_process, timeoutMs);
    }
    std::string out() const { return readFile(m_process.folder + "/stdout.txt"); }
    std::string err() const { return readFile(m_process.folder + "/stderr.txt"); }

    appProcess m_process;
};

TEST_F(programCli, versionHelpAndBadOptions) {
    ASSERT_TRUE(run({"--version"}));
    EXPECT_EQ(exitCode(m_process), 0);
    EXPECT_EQ(out(), "ZEB Version 1.0\n");

    ASSERT_TRUE(run({"--help"}));
    EXPECT_EQ(exitCode(m_process), 0);
    for (const char* option : {"--connect HOST[:PORT]", "--port N", "--server", "--discovery ADDR",
                               "--discovery-port N", "--frames N", "--screenshot FILE", "--version"})
        EXPECT_NE(out().find(option), std::string::npos) << option;

    ASSERT_TRUE(run({"--frames", "0"}));
    EXPECT_EQ(exitCode(m_process), 2);
    EXPECT_NE(err().find("--frames"), std::string::npos);
    ASSERT_TRUE(run({"--fly"}));
    EXPECT_EQ(exitCode(m_process), 2);
    EXPECT_NE(err().find("unknown option --fly"), std::string::npos);
}

// The help speaks the system's language, --lang's over it, and English where
// asked or where there is no catalogue.
TEST_F(programCli, helpFollowsTheLanguageChosen) {
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;
        const char* firstLine;
    } cases[] = {
        {{"--help"}, {"LANGUAGE=de"}, "Aufruf: zeb [Optionen]"},
        {{"--help"},
         {"LANGUAGE=", "LC_ALL=", "LC_MESSAGES=", "LANG=ru_RU.UTF-8"},
         "Использование: zeb [параметры]"},
        {{"--help"}, {"LANGUAGE=it:pt_BR:de"}, "Uso: zeb [opções]"},
        {{"--help", "--lang", "zh_CN"}, {"LANGUAGE=de"}, "用法：zeb [选项]"},
        {{"--help", "--lang", "en"}, {"LANGUAGE=fr"}, "Usage: zeb [options]"},
        {{"--help"}, {"LANGUAGE=en:de"}, "Usage: zeb [options]"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(run(c.arguments, c.environment));
        EXPECT_EQ(exitCode(m_process), 0);
        EXPECT_EQ(out().substr(0, out().find('\n')), c.firstLine) << c.environment.front();
    }
}

TEST_F(programCli, withoutADisplayItSaysSoInOneLineAndPointsToTheServer) {
    ASSERT_TRUE(run({}, {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(exitCode(m_process), 1);
    const std::string text = err();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
    EXPECT_NE(text.find("display"), std::string::npos);
    EXPECT_NE(text.find("--server"), std::string::npos);
}

// The level in the working folder comes first; a broken one ends the program
// with its name and the reason, windowed or not.
TEST_F(programCli, aBrokenLevelIsReportedByNameAndEndsWithAnError) {
    m_process.folder = makeTempFolder("level");
    std::ofstream(m_process.folder + "/level_0.xml") << "<level><object type=\"player\" vertices=";
    for (const bool server : {false, true}) {
        ASSERT_TRUE(run(server
                            ? std::vector<std::string>{"--server", "--port", std::to_string(findFreePort())}
                            : std::vector<std::string>{"--frames", "5"}));
        EXPECT_EQ(exitCode(m_process), 1);
        EXPECT_NE(err().find("\"level_0.xml\" cannot be loaded"), std::string::npos) << err();
        EXPECT_NE(err().find("not a valid level"), std::string::npos) << err();
    }
}

// The program says one line to the operator (a sanitizer build may add a
// report of its own), and nothing on standard error is a byte that a terminal
// would take for a control: what came from a file is shown escaped.
bool saysOneSafeLine(const std::string& text) {
    int own = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (makeDisplayText(line) != line)
            return false;
        own += line.rfind("zeb: ", 0) == 0 ? 1 : 0;
    }
    return own == 1;
}

// The operator's files are read only when they are regular files of at most
// 64 KB: --config refuses anything else in one line (exit 2), a settings.ini
// that is not one leaves the defaults with one line. Nothing hangs or crashes,
// and the bytes of a binary file reach the terminal only escaped. A --name a
// host would clean is refused the same way.
TEST_F(programCli, operatorFilesMustBeSmallRegularFilesAndErrorsStayOneSafeLine) {
    const std::string binary("\x1B[2J\x07\xFF\r\x00\xE2\x80\xAE = \x9B\n", 16);
    const struct {
        const char* kind;
        std::function<void(const std::string&)> make;
    } files[] = {
        {"directory", [](const std::string& path) { std::filesystem::create_directory(path); }},
        {"fifo", [](const std::string& path) { mkfifo(path.c_str(), 0600); }},
        {"endless", [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }},
        {"too large", [](const std::string& path) { std::ofstream(path) << std::string(70000, '#'); }},
        {"binary", [&binary](const std::string& path) { std::ofstream(path, std::ios::binary) << binary; }},
    };
    for (const auto& file : files) {
        m_process.folder = makeTempFolder("files");
        std::filesystem::create_directories(m_process.folder + "/config/zeb");
        file.make(m_process.folder + "/server.conf");
        ASSERT_TRUE(run({"--server", "--config", "server.conf"}, {}, 10000)) << file.kind;
        EXPECT_EQ(exitCode(m_process), 2) << file.kind;
        EXPECT_TRUE(saysOneSafeLine(err())) << file.kind << ": " << err();

        file.make(m_process.folder + "/config/zeb/settings.ini");
        ASSERT_TRUE(run({"--frames", "1"}, {}, 10000)) << file.kind;
        EXPECT_EQ(exitCode(m_process), 0) << file.kind;
        EXPECT_TRUE(saysOneSafeLine(err())) << file.kind << ": " << err();
        EXPECT_NE(err().find("playing with the defaults"), std::string::npos) << file.kind;
    }
    ASSERT_TRUE(run({"--name", "\xE2\x80\xAE"
                               "evil"}));
    EXPECT_EQ(exitCode(m_process), 2);
    EXPECT_TRUE(saysOneSafeLine(err())) << err();
}

// Joining a host that is not there ends set-up instead of waiting for ever:
// the window shows "Game Unavailable" and the program ends normally.
TEST_F(programCli, aJoinThatCannotCompleteShowsGameUnavailable) {
    const std::string address = "127.0.0.1:" + std::to_string(findFreePort());
    ASSERT_TRUE(run({"--connect", address, "--frames", "5", "--screenshot", "shot.png"}));
    EXPECT_EQ(exitCode(m_process), 0);
    pngImage picture;
    ASSERT_TRUE(readPNG(m_process.folder + "/shot.png", picture));
    EXPECT_GT(countPixels(picture, 0, 200, 0, TEXT_ROWS, isRedText), 60);
    EXPECT_GT(countPixels(picture, 0, 300, SOUND_LINE_TOP, SOUND_LINE_TOP + TEXT_ROWS, isGreyText), 100);
}

} // namespace

namespace {

// A broken settings file is said in the window too, above the sound line.
TEST_F(programCli, aBrokenSettingsFileIsShownInTheWindow) {
    m_process.folder = makeTempFolder("cli");
    std::filesystem::create_directories(m_process.folder + "/config/zeb");
    std::ofstream(m_process.folder + "/config/zeb/settings.ini") << "sound = loud\n";
    ASSERT_TRUE(copyGameData(m_process.folder));
    const std::string port = std::to_string(findFreePort());
    ASSERT_TRUE(run({"--port", port, "--frames", "40", "--screenshot", "shot.png"}));
    EXPECT_EQ(exitCode(m_process), 0) << err();
    pngImage picture;
    ASSERT_TRUE(readPNG(m_process.folder + "/shot.png", picture));
    EXPECT_GT(countPixels(picture, 0, 400, SOUND_LINE_TOP - TEXT_ROWS, SOUND_LINE_TOP, isGreyText), 100);
}

} // namespace
