#include "game/bot/botplayer.h"
#include "game/common/gamenames.h"
#include "game/common/options.h"

#include "game/bot/zebbotpilot.h"
#include "game/client/zebgamestatecollector.h"
#include "game/common/gamenetwork.h"
#include "game/common/serverevent.h"
#include "networklib/networkclient.h"
#include "networklib/networkmessage.h"
#include "platform/system/clock.h"
#include "platform/system/processid.h"
#include "platform/system/stopsignal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

using namespace win;

namespace {

using botClock = std::chrono::steady_clock;
constexpr const char* BOT_NAME = "Bot";
constexpr auto BOT_FRAME =
    std::chrono::duration_cast<botClock::duration>(std::chrono::duration<double>(1.0 / 45));
constexpr auto BOT_JOIN_DEADLINE = std::chrono::seconds(10);
constexpr auto BOT_JOIN_RESEND = std::chrono::milliseconds(500);
constexpr auto BOT_POLL_PAUSE = std::chrono::milliseconds(1);
// After its game ended a bot searches again, as a player's window does: after
// a short wait of its own, so that the bots of one host do not all ask at
// once, and again a while later as long as it finds no game.
constexpr int BOT_REJOIN_WAIT_MS = 500;
constexpr int BOT_REJOIN_JITTER_MS = 1000;
constexpr auto BOT_SEARCH_AGAIN = std::chrono::seconds(1);

// A host starting bots numbers them ("Bot 1", ...) with --name.
std::string botName(const gameOptions& options) {
    return options.name.empty() ? BOT_NAME : options.name;
}

// The first game found that is not the one just left (its host may still answer).
bool searchAndConnect(networkClient& client, const netGuid& left) {
    client.forgetSessions();
    client.enumerateHosts();
    for (const networkClient::session& found : client.getSessionRecords()) {
        if (left == netGuid{} || !(found.applicationDesc.instanceGuid == left)) {
            client.connectSession(found);
            return true;
        }
    }
    return false;
}

// The first game: the one --connect names, else the first found.
bool connectBot(const gameOptions& options, networkClient& client) {
    if (!options.connectHost.empty())
        return client.connectTo(getConnectAddress(options));
    return searchAndConnect(client, netGuid{});
}

// Sends the join request again every so often until the full state has come.
bool joinBot(const std::string& name, networkClient& client, ZEBGameStateCollector& collector) {
    collector.setPlayerName(name);
    const botClock::time_point deadline = botClock::now() + BOT_JOIN_DEADLINE;
    botClock::time_point resend = botClock::now();
    while (!collector.hasJoined() && !isStopRequested() && botClock::now() < deadline) {
        if (!client.isConnected() && !client.isConnecting())
            return false;
        messageQueue in;
        messageQueue out;
        client.receiveMessages(in);
        collector.update(0.0f, in, out);
        if (botClock::now() >= resend) {
            client.sendMessages(out);
            resend = botClock::now() + BOT_JOIN_RESEND;
        }
        std::this_thread::sleep_for(BOT_POLL_PAUSE);
    }
    return collector.hasJoined();
}

// The bot's own score: the row of the table that names its ship.
int ownScore(const ZEBGameStateCollector& collector) {
    for (int row = 0; row < collector.getStatsCount(); ++row) {
        if (collector.isOwnStatsRow(row))
            return collector.getStatsScore(row);
    }
    return 0;
}

void playUntilStopped(const std::string& name, networkClient& client, ZEBGameStateCollector& collector,
                      ZEBBotPilot& pilot) {
    botClock::time_point last = botClock::now();
    botClock::time_point next = last + BOT_FRAME;
    int score = ownScore(collector);
    while (!isStopRequested() && client.isConnected()) {
        std::this_thread::sleep_until(next);
        const botClock::time_point now = botClock::now();
        const float dt = std::chrono::duration<float>(now - last).count();
        last = now;
        next = std::max(next + BOT_FRAME, now);
        messageQueue in;
        messageQueue out;
        client.receiveMessages(in);
        collector.setInput(pilot.decide(collector, dt));
        collector.update(dt, in, out);
        client.sendMessages(out);
        if (ownScore(collector) != score) {
            score = ownScore(collector);
            printServerEvent("ZEB bot %d (%s): score %d", static_cast<int>(currentProcessId()), name.c_str(),
                             score);
        }
    }
}

// Where the host said its game went, at its end; false when it said nothing.
bool takeGameMove(networkClient& client, ZEBGameStateCollector& collector, GameMove& move) {
    messageQueue in;
    messageQueue out;
    client.receiveMessages(in);
    collector.update(0.0f, in, out);
    return collector.takeGameMove(move);
}

// After the game ended: the game its host moved to, else searches until it
// joins another game or is stopped.
bool joinNextGame(const std::string& name, networkClient& client,
                  std::unique_ptr<ZEBGameStateCollector>& collector, uint32_t seed) {
    const netGuid left = client.getSessionInstance();
    GameMove move;
    const bool told = takeGameMove(client, *collector, move);
    client.disconnect();
    if (told) {
        collector = std::make_unique<ZEBGameStateCollector>();
        if (client.connectTo(formatAddress(netAddress{move.host, move.port})) &&
            joinBot(name, client, *collector))
            return true;
        client.disconnect();
    }
    std::this_thread::sleep_for(
        std::chrono::milliseconds(BOT_REJOIN_WAIT_MS + static_cast<int>(seed % BOT_REJOIN_JITTER_MS)));
    while (!isStopRequested()) {
        collector = std::make_unique<ZEBGameStateCollector>();
        if (searchAndConnect(client, left) && joinBot(name, client, *collector))
            return true;
        client.disconnect();
        std::this_thread::sleep_for(BOT_SEARCH_AGAIN);
    }
    return false;
}

} // namespace

// A bot plays the game it finds (or is sent to) and, when that game ends, the
// next one it finds, until it is stopped: like a player's window, it follows
// its party. With --no-rejoin it ends with its first game.
int runBot(const gameOptions& options) {
    installStopSignals();
    applyNetworkOptions(options);
    const std::string name = botName(options);
    networkClient client;
    client.setApplicationGuid(APPLICATION_GUID);
    client.initialise();
    auto collector = std::make_unique<ZEBGameStateCollector>();
    const uint32_t seed = currentProcessId() * 2654435761u ^ timeGetTime();
    ZEBBotPilot pilot(seed);
    if (!connectBot(options, client) || !joinBot(name, client, *collector)) {
        std::fprintf(stderr, "zeb: the bot found no game to join\n");
        client.disconnect();
        return 1;
    }
    while (true) {
        playUntilStopped(name, client, *collector, pilot);
        if (isStopRequested() || !options.rejoin)
            break;
        printServerEvent("ZEB bot %d (%s): the game ended; searching again",
                         static_cast<int>(currentProcessId()), name.c_str());
        if (!joinNextGame(name, client, collector, seed))
            break;
    }
    client.disconnect();
    return 0;
}
