#include "game/dedicated/dedicatedserver.h"

#include "core/random.h"
#include "game/common/botprocesses.h"
#include "game/common/gamenetwork.h"
#include "game/common/hostedgame.h"
#include "game/common/serverevent.h"
#include "game/dedicated/serveragones.h"
#include "game/dedicated/servermetrics.h"
#include "platform/language/translation.h"
#include "platform/system/clock.h"
#include "platform/system/consolelines.h"
#include "platform/system/stopsignal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

using namespace win;

namespace {

using serverClock = std::chrono::steady_clock;
constexpr int TICKS_PER_SECOND = 45;
constexpr int EXIT_BAD_SETTING = 2; // as for a command line that is not understood
constexpr auto TICK_PERIOD =
    std::chrono::duration_cast<serverClock::duration>(std::chrono::duration<double>(1.0 / TICKS_PER_SECOND));

struct namedPlayer {
    uint32_t playerID = 0;
    std::string name;
    bool browser = false;
};

// Tells the operator who comes and goes, by name, once a connection has taken
// a place and when it gives it up; known holds the players of the last call.
void reportPlayers(const ZEBHostedGameState& game, const networkHost& host, std::vector<namedPlayer>& known) {
    std::vector<namedPlayer> now;
    for (int place = 0; place < game.getPlayerCount(); ++place) {
        if (game.getPlayer(place).connected)
            now.push_back({game.getPlayerID(place), game.getPlayer(place).name,
                           game.isBrowser(game.getPlayerID(place))});
    }
    const auto holds = [](const std::vector<namedPlayer>& players, const namedPlayer& player) {
        return std::any_of(players.begin(), players.end(),
                           [&player](const namedPlayer& other) { return other.playerID == player.playerID; });
    };
    for (const namedPlayer& player : now) {
        if (!holds(known, player) && player.browser)
            printServerEvent(
                trn("Player %u joined as %s by browser (%u connected, %d by browser)",
                    "Player %u joined as %s by browser (%u connected, %d by browser)", host.getPlayerCount()),
                player.playerID, player.name.c_str(), host.getPlayerCount(), game.getConnectedBrowserCount());
        else if (!holds(known, player))
            printServerEvent(trn("Player %u joined as %s (%u connected)",
                                 "Player %u joined as %s (%u connected)", host.getPlayerCount()),
                             player.playerID, player.name.c_str(), host.getPlayerCount());
    }
    for (const namedPlayer& player : known) {
        if (!holds(now, player))
            printServerEvent(trn("Player %u (%s) left (%u connected)", "Player %u (%s) left (%u connected)",
                                 host.getPlayerCount()),
                             player.playerID, player.name.c_str(), host.getPlayerCount());
    }
    known.swap(now);
}

void reportRefusals(const std::vector<PlayerRefusal>& refusals) {
    for (const PlayerRefusal& refusal : refusals) {
        printServerEvent(tr("Player %u refused: %s"), refusal.playerID,
                         refusal.reason == refusalReason::gameFull ? tr("the game is full")
                                                                   : tr("no join request in time"));
    }
}

// Every line of chat is in the server's output, the operator's own too.
void reportChat(ZEBHostedGameState& game) {
    std::vector<ChatLine> lines;
    game.takeChatLines(lines);
    for (const ChatLine& line : lines)
        printServerEvent("%s: %s", line.name, line.text.c_str());
}

// Tells the operator who starts and stops watching; known holds the
// connections that watched at the last call.
void reportWatchers(const ZEBHostedGameState& game, std::vector<uint32_t>& known) {
    std::vector<uint32_t> now;
    for (int i = 0; i < game.getWatcherCount(); ++i) {
        const WatcherRecord& watcher = game.getWatcher(i);
        now.push_back(watcher.playerID);
        if (std::find(known.begin(), known.end(), watcher.playerID) == known.end())
            printServerEvent(trn("Player %u watches as %s (%d watching)",
                                 "Player %u watches as %s (%d watching)",
                                 static_cast<unsigned long>(game.getWatcherCount())),
                             watcher.playerID, watcher.name, game.getWatcherCount());
    }
    for (const uint32_t playerID : known) {
        if (std::find(now.begin(), now.end(), playerID) == now.end())
            printServerEvent(trn("Player %u stopped watching (%d watching)",
                                 "Player %u stopped watching (%d watching)",
                                 static_cast<unsigned long>(game.getWatcherCount())),
                             playerID, game.getWatcherCount());
    }
    known.swap(now);
}

// Games that should have moved here and have gone: their players are on their way.
void reportMerges(const std::vector<networkClient::session>& merged) {
    for (const networkClient::session& game : merged)
        printServerEvent(trn("ZEB server: games merged: \"%s\" at %s (%u players) moved to this game",
                             "ZEB server: games merged: \"%s\" at %s (%u players) moved to this game",
                             game.applicationDesc.currentPlayers),
                         game.name.c_str(), formatAddress(game.hostAddress).c_str(),
                         game.applicationDesc.currentPlayers);
}

// The dedicated server while it hosts: made once the game is hosted, and it
// dies when the server stops (a stop signal, or an empty game under Agones).
class ZEBDedicatedServer {
  public:
    ZEBDedicatedServer(const gameOptions& options, ZEBHostedGame& hosted, ZEBServerMetrics& metrics,
                       ZEBServerAgones* agones)
        : m_options(options), m_hosted(hosted), m_metrics(metrics), m_agones(agones) {}

    // 45 ticks a second on a fixed schedule; each tick steps the game by the
    // time that really passed since the previous one.
    void serveUntilStopped() {
        serverClock::time_point last = serverClock::now();
        serverClock::time_point next = last + TICK_PERIOD;
        while (!isStopRequested() && m_hosted.isHosting()) {
            std::this_thread::sleep_until(next);
            const serverClock::time_point now = serverClock::now();
            if (!tick(std::chrono::duration<float>(now - last).count())) {
                printServerEvent(trn("ZEB server: no players for %ld s; shutting down",
                                     "ZEB server: no players for %ld s; shutting down",
                                     static_cast<unsigned long>(m_options.agonesEmptyShutdown)),
                                 m_options.agonesEmptyShutdown);
                return;
            }
            last = now;
            next += TICK_PERIOD;
            if (next < now) // fell behind (the machine was busy): do not try to catch up
                next = now + TICK_PERIOD;
        }
    }

  private:
    // False once the game under Agones has been empty for its set time.
    bool tick(float dt) {
        const serverClock::time_point started = serverClock::now();
        messageQueue receivedMessages;
        std::vector<networkEvent> events;
        m_hosted.receiveMessages(receivedMessages, events);
        const std::vector<PlayerRefusal> refusals = m_hosted.tick(dt, receivedMessages, events);
        reportPlayers(m_hosted.getGame(), m_hosted.getHost(), m_players);
        reportRefusals(refusals);
        sayOperatorLines();
        reportChat(m_hosted.getGame());
        reportWatchers(m_hosted.getGame(), m_watchers);
        reportMerges(m_hosted.watchForMerges(timeGetTime()));
        m_metrics.recordTick(m_hosted, std::chrono::duration<double>(serverClock::now() - started).count(),
                             refusals.size());
        return m_agones == nullptr ||
               m_agones->tick(static_cast<uint32_t>(m_hosted.getGame().getConnectedPlayerCount()));
    }

    // What the operator types on standard input goes to the players as the host's lines.
    void sayOperatorLines() {
        m_typedLines.clear();
        m_console.take(m_typedLines);
        for (const std::string& line : m_typedLines)
            m_hosted.say(line);
    }

    const gameOptions& m_options;
    ZEBHostedGame& m_hosted;
    ZEBServerMetrics& m_metrics;
    ZEBServerAgones* m_agones; // null: not under Agones
    consoleLines m_console;
    std::vector<std::string> m_typedLines;
    std::vector<namedPlayer> m_players; // as last reported
    std::vector<uint32_t> m_watchers;   // as last reported
};

// Under Agones (--agones, or its port variable set) the sidecar hears from
// the game; null otherwise, and nothing of it runs.
std::unique_ptr<ZEBServerAgones> startAgones(const gameOptions& options, uint16_t sidecarPort) {
    if (sidecarPort == 0)
        return nullptr;
    printServerEvent(tr("ZEB server: reporting to the Agones sidecar on 127.0.0.1:%u"), sidecarPort);
    return std::make_unique<ZEBServerAgones>(sidecarPort, static_cast<double>(options.agonesEmptyShutdown));
}

} // namespace

int runDedicatedServer(const gameOptions& options) {
    uint16_t sidecarPort = 0;
    std::string error;
    if (!findAgonesSidecar(options, sidecarPort, error)) {
        std::fprintf(stderr, "zeb: %s\n", error.c_str());
        return EXIT_BAD_SETTING;
    }
    installStopSignals();
    seedRandom(timeGetTime());
    applyNetworkOptions(options);
    ZEBHostedGame hosted(options, {});
    if (!hosted.isHosting()) {
        // A port named by the operator that cannot be had is a setting to mend.
        return options.port != 0 ? EXIT_BAD_SETTING : 1;
    }
    const std::vector<std::string> webLines = hosted.describeWeb(options);
    if (options.web && !hosted.isServingWeb()) {
        // The operator named the port browsers are told of: hosting without it is no use.
        std::fprintf(stderr, "zeb: %s\n", webLines.front().c_str());
        return EXIT_BAD_SETTING;
    }
    for (const std::string& line : webLines)
        printServerEvent("ZEB server: %s", line.c_str());
    printServerEvent(tr("ZEB server: hosting \"%s\" on port %u; stop with Ctrl+C"),
                     getHostedSessionName(options).c_str(), hosted.getHost().getPort());
    ZEBServerMetrics metrics;
    const bool counting = metrics.start(options);
    std::unique_ptr<ZEBServerAgones> agones;
    if (counting) {
        agones = startAgones(options, sidecarPort);
        ZEBBotProcesses bots(options, hosted.getHost().getPort());
        ZEBDedicatedServer(options, hosted, metrics, agones.get()).serveUntilStopped();
    }
    hosted.stop(); // the players hear of the end before the sidecar does
    if (agones != nullptr)
        agones->finish();
    printServerEvent("%s", tr("ZEB server: stopped"));
    return counting ? 0 : 1;
}
