#include "game/common/serverevent.h"
#include "game/dedicated/serversettings.h"

#include "platform/net/netaddress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

bool load(std::vector<const char*> arguments, gameOptions& options, std::string& error) {
    arguments.insert(arguments.begin(), "zeb");
    return loadOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

std::string writeTempSettings(const std::string& text) {
    char path[] = "/tmp/zeb-settings-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return std::string();
    close(fd);
    std::ofstream(path) << text;
    return path;
}

TEST(serverOptions, parsedInBothSpellings) {
    gameOptions options;
    std::string error;
    ASSERT_TRUE(load({"--session-name=LAN Party", "--server"}, options, error)) << error;
    EXPECT_EQ(options.sessionName, "LAN Party");
    EXPECT_TRUE(options.server);
    gameOptions local;
    ASSERT_TRUE(load({"--server", "--metrics", "9100"}, local, error)) << error;
    EXPECT_TRUE(local.metrics);
    EXPECT_EQ(local.metricsAddress, "127.0.0.1");
    EXPECT_EQ(local.metricsPort, 9100);
    gameOptions everywhere;
    ASSERT_TRUE(load({"--server", "--metrics=0.0.0.0:0"}, everywhere, error)) << error;
    EXPECT_EQ(everywhere.metricsAddress, "0.0.0.0");
    EXPECT_EQ(everywhere.metricsPort, 0);
    gameOptions bots;
    ASSERT_TRUE(load({"--server", "--bots", "3"}, bots, error)) << error;
    EXPECT_EQ(bots.bots, 3);
    gameOptions bot;
    ASSERT_TRUE(load({"--bot", "--connect", "127.0.0.1:27400"}, bot, error)) << error;
    EXPECT_TRUE(bot.bot);
    gameOptions status;
    ASSERT_TRUE(load({"--status", "--discovery", "127.255.255.255", "--bots", "2", "--metrics", "9100"},
                     status, error))
        << error;
    EXPECT_TRUE(status.status);
}

TEST(serverOptions, badValuesAreRefused) {
    const std::string tooLong(256, 'x');
    const std::vector<std::vector<const char*>> bad = {
        {"--session-name", ""},
        {"--session-name", tooLong.c_str()},
        {"--session-name", "a\tb"},
        {"--config", ""},
        {"--status", "--server"},
        {"--status", "--connect", "127.0.0.1"},
        {"--metrics", "9100"},
        {"--bots", "0"},
        {"--bots", "9"},
        {"--bot", "--server"},
        {"--bots", "2", "--connect", "127.0.0.1"},
        {"--server", "--metrics", "70000"},
        {"--server", "--metrics", "1.2.3:9100"},
        {"--server", "--metrics", "localhost:9100"},
        {"--server", "--metrics", "127.0.0.1:"},
        {"--status=1"},
        {"--config", "/nonexistent/server.conf"},
    };
    for (const auto& arguments : bad) {
        gameOptions options;
        std::string error;
        EXPECT_FALSE(load(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(serverSettings, keysTakeTheOptionsValues) {
    gameOptions options;
    std::string error;
    ASSERT_TRUE(applySettings("# the LAN party\n\n  port = 27400\r\ndiscovery=127.255.255.255,127.0.0.255\n"
                              "discovery-port =27500\nsession-name = Friday Night\nmetrics = 9100\n",
                              "server.conf", options, error))
        << error;
    EXPECT_EQ(options.port, 27400);
    EXPECT_EQ(options.discoveryTargets, (std::vector<uint32_t>{NET_LOOPBACK_BROADCAST_HOST, 0x7F0000FF}));
    EXPECT_EQ(options.discoveryPort, 27500);
    EXPECT_EQ(options.sessionName, "Friday Night");
    EXPECT_EQ(options.metricsPort, 9100);
}

TEST(serverSettings, wrongLinesAreRefusedWithTheirNumber) {
    struct badFile {
        std::string text;
        std::string reason;
    };
    const std::vector<badFile> bad = {
        {"port = 27400\nport 27401\n", "server.conf:2: expected key = value"},
        {"frames = 10\n", "server.conf:1: unknown setting \"frames\""},
        {"server = 1\n", "server.conf:1: unknown setting \"server\""},
        {"\n\nport = 0\n", "server.conf:3: --port needs"},
        {"session-name =\n", "server.conf:1: --session-name needs"},
        {"discovery-port = " + std::string(2000, '1') + "\n", "server.conf:1: the line is longer"},
    };
    for (const badFile& file : bad) {
        gameOptions options;
        std::string error;
        EXPECT_FALSE(applySettings(file.text, "server.conf", options, error)) << file.text;
        EXPECT_EQ(error.rfind(file.reason, 0), 0u) << error;
    }
}

TEST(serverSettings, theCommandLineWinsOverTheFile) {
    const std::string path =
        writeTempSettings("port = 27400\ndiscovery-port = 27500\nsession-name = From File\n");
    ASSERT_FALSE(path.empty());
    gameOptions options;
    std::string error;
    const bool loaded = load({"--server", "--config", path.c_str(), "--port", "27401"}, options, error);
    std::remove(path.c_str());
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(options.port, 27401);
    EXPECT_EQ(options.discoveryPort, 27500);
    EXPECT_EQ(options.sessionName, "From File");
    EXPECT_TRUE(options.server);
}

TEST(serverEvent, timesAreIso8601InUtcToTheMillisecond) {
    using namespace std::chrono;
    const struct {
        int64_t milliseconds;
        const char* text;
    } cases[] = {
        {0, "1970-01-01T00:00:00.000Z"},
        {1796643394123, "2026-12-07T11:36:34.123Z"},
        {951782400999, "2000-02-29T00:00:00.999Z"},
    };
    for (const auto& sample : cases)
        EXPECT_EQ(formatEventTime(system_clock::time_point(milliseconds(sample.milliseconds))), sample.text);
}

} // namespace
