#include "game/common/options.h"

#include "platform/net/netaddress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool parse(std::vector<const char*> arguments, gameOptions& options, std::string& error) {
    arguments.insert(arguments.begin(), "zeb");
    return parseOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

TEST(gameOptions, noOptionKeepsTheDesignedBehaviour) {
    gameOptions options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_FALSE(options.server);
    EXPECT_TRUE(options.connectHost.empty());
    EXPECT_EQ(options.port, 0);
    EXPECT_TRUE(options.discoveryTargets.empty());
    EXPECT_EQ(options.discoveryPort, 0);
    EXPECT_EQ(options.frames, 0);
    EXPECT_TRUE(options.screenshot.empty());
}

TEST(gameOptions, everyOptionInBothSpellings) {
    gameOptions options;
    std::string error;
    ASSERT_TRUE(
        parse({"--connect", "game.local:4000", "--port=27400", "--discovery", "127.255.255.255,127.0.0.255",
               "--discovery-port=27500", "--frames", "90", "--screenshot=out.png"},
              options, error))
        << error;
    EXPECT_EQ(options.connectHost, "game.local");
    EXPECT_EQ(options.connectPort, 4000);
    EXPECT_EQ(options.port, 27400);
    EXPECT_EQ(options.discoveryTargets, (std::vector<uint32_t>{NET_LOOPBACK_BROADCAST_HOST, 0x7F0000FF}));
    EXPECT_EQ(options.discoveryPort, 27500);
    EXPECT_EQ(options.frames, 90);
    EXPECT_EQ(options.screenshot, "out.png");

    gameOptions replay;
    ASSERT_TRUE(parse({"--replay=game.zebreplay", "--frames", "3"}, replay, error)) << error;
    EXPECT_EQ(replay.replay, "game.zebreplay");

    gameOptions named;
    ASSERT_TRUE(parse({"--name=Zo\xC3\xAB"}, named, error)) << error;
    EXPECT_EQ(named.name, "Zo\xC3\xAB");

    gameOptions server;
    ASSERT_TRUE(parse({"--server", "--version", "--help"}, server, error));
    EXPECT_TRUE(server.server && server.version && server.help);
    gameOptions hostOnly;
    ASSERT_TRUE(parse({"--connect", "127.0.0.1"}, hostOnly, error));
    EXPECT_EQ(hostOnly.connectPort, 0);
}

TEST(gameOptions, badValuesAreRefusedWithTheOptionNamed) {
    const std::vector<std::vector<const char*>> bad = {
        {"--port"},
        {"--port", "0"},
        {"--port", "65536"},
        {"--port", "12x"},
        {"--port", "-5"},
        {"--frames", "0"},
        {"--frames", "99999999999"},
        {"--connect", ":80"},
        {"--connect", "h:0"},
        {"--connect", "h:"},
        {"--discovery", "1.2.3"},
        {"--discovery", "1.2.3.4.5"},
        {"--discovery", "256.1.1.1"},
        {"--discovery", "1.2.3.4,"},
        {"--discovery-port", "70000"},
        {"--screenshot", ""},
        {"--name", ""},
        {"--name", "bad\xFF"},
        {"--fly"},
        {"--server=yes"},
        {"--server", "--connect", "h"},
        {"--replay", ""},
        {"--replay", "game.zebreplay", "--bot"},
        {"--replay", "game.zebreplay", "--server"},
    };
    for (const auto& arguments : bad) {
        gameOptions options;
        std::string error;
        EXPECT_FALSE(parse(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(gameOptions, addressParsers) {
    std::string host;
    uint16_t port = 0;
    EXPECT_TRUE(parseHostAndPort("127.1.2.3:27351", host, port));
    EXPECT_EQ(host, "127.1.2.3");
    EXPECT_EQ(port, 27351);
    EXPECT_FALSE(parseHostAndPort("a b:1", host, port));
}

} // namespace
