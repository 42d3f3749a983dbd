#include "game/shell/shell.h"

#include "game/client/zebbotpilot.h"
#include "game/client/zebgamestatecollector.h"
#include "game/shell/serverevent.h"
#include "game/shell/shellnetwork.h"
#include "networklib/networkclient.h"
#include "networklib/networkmessage.h"
#include "platform/system/clock.h"
#include "platform/system/processid.h"
#include "platform/system/stopsignal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// A host starting bots numbers them ("Bot 1", ...) with --name.
std::string botName(const shellOptions& options) {
    return options.name.empty() ? BOT_NAME : options.name;
}

bool connectBot(const shellOptions& options, networkClient& client) {
    if (!options.connectHost.empty())
        return client.connectTo(getConnectAddress(options));
    client.enumerateHosts();
    std::vector<std::string> sessions;
    client.getSessions(sessions);
    if (sessions.empty())
        return false;
    client.connect(sessions[0]);
    return true;
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

} // namespace

int runBot(const shellOptions& options) {
    installStopSignals();
    applyNetworkOptions(options);
    const std::string name = botName(options);
    networkClient client;
    client.setApplicationGuid(APPLICATION_GUID);
    client.initialise();
    ZEBGameStateCollector collector;
    ZEBBotPilot pilot(currentProcessId() * 2654435761u ^ timeGetTime());
    if (!connectBot(options, client) || !joinBot(name, client, collector)) {
        std::fprintf(stderr, "zeb: the bot found no game to join\n");
        client.disconnect();
        return 1;
    }
    playUntilStopped(name, client, collector, pilot);
    client.disconnect();
    return 0;
}
