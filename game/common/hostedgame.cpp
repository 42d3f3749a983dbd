#include "game/common/hostedgame.h"

#include "core/random.h"
#include "game/common/gamenames.h"
#include "game/common/gamenetwork.h"
#include "game/common/hostedlevel.h"
#include "game/common/options.h"
#include "networklib/networksettings.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"
#include "platform/system/clock.h"
#include "platform/system/executablepath.h"

#include <algorithm>
#include <cstdio>

using namespace win;

namespace {

// A host looks at the other games this often, with a little chance on top so
// that hosts started together do not look together; a game is moved after
// two looks in a row agree.
constexpr uint32_t WATCH_FIRST_MS = 1000;
constexpr uint32_t WATCH_PERIOD_MS = 2000;
constexpr uint32_t WATCH_JITTER_MS = 500;
constexpr int WATCH_LOOKS_BEFORE_MOVING = 2;

bool isDue(uint32_t nowMs, uint32_t dueMs) {
    return static_cast<int32_t>(nowMs - dueMs) >= 0;
}

} // namespace

ZEBHostedGame::ZEBHostedGame(const gameOptions& options, const std::vector<PlayerStats>& formerTable) {
    hostLevel(loadLevelFile(), m_game, m_shapes);
    m_game.createAsteroids();
    m_game.reservePlaces(formerTable);
    m_host.setApplicationGuid(APPLICATION_GUID);
    m_host.setSessionName(getHostedSessionName(options));
    m_host.setMaxPlayers(MAX_PLAYERS);
    if (options.port != 0)
        m_host.requirePort(options.port);
    m_dedicated = options.server;
    m_staysPut = options.port != 0;
    m_host.setRank(m_dedicated, m_staysPut);
    m_hostedSinceMs = timeGetTime();
    if (options.web)
        m_host.serveWeb(options.webPort, webRootOf(options));
    m_host.initialise();
    m_host.startHosting();
    if (!m_host.isConnected())
        reportCannotHost(options);
}

std::string webRootOf(const gameOptions& options) {
    if (!options.webRoot.empty())
        return options.webRoot;
    const std::string folder = getExecutableDirectory();
    return folder.empty() ? std::string("web") : folder + "/web";
}

std::vector<std::string> ZEBHostedGame::describeWeb(const gameOptions& options) const {
    std::vector<std::string> lines;
    if (!options.web || m_host.getPort() == 0)
        return lines;
    if (m_host.getWebPort() == 0) {
        lines.push_back(formatText(tr("cannot serve browsers on TCP port %u: the port is taken"),
                                   unsigned(options.webPort)));
        return lines;
    }
    const std::string root = webRootOf(options);
    if (!fileExists(root + "/index.html"))
        lines.push_back(
            formatText(tr("the web root %s has no index.html: browsers get no page (the game still "
                          "hosts, and the WebSocket still takes players)"),
                       root.c_str()));
    for (const std::string& address : m_host.getWebAddresses())
        lines.push_back(formatText(tr("browsers join at %s"), address.c_str()));
    return lines;
}

ZEBHostedGame::~ZEBHostedGame() {
    m_host.stopHosting();
}

void ZEBHostedGame::reportCannotHost(const gameOptions& options) const {
    const std::string name = getHostedSessionName(options);
    if (options.port != 0) {
        std::fprintf(stderr,
                     tr("zeb: cannot host \"%s\" on port %u: the port is taken or there is no network\n"),
                     name.c_str(), static_cast<unsigned>(options.port));
    } else {
        std::fprintf(
            stderr,
            tr("zeb: cannot host \"%s\": no port to listen on or no network (tried port %u, then any "
               "free port)\n"),
            name.c_str(), static_cast<unsigned>(getGamePort()));
    }
}

std::vector<PlayerRefusal> ZEBHostedGame::tick(float dt, messageQueue& received,
                                               const std::vector<networkEvent>& events) {
    messageQueue toSend;
    m_game.tick(dt, m_shapes, received, events, toSend);
    m_host.sendMessages(toSend);
    std::vector<PlayerRefusal> refusals;
    m_game.takeRefusals(refusals);
    for (const PlayerRefusal& refusal : refusals) {
        m_host.dropPlayer(refusal.playerID, refusal.reason == refusalReason::gameFull
                                                ? networkDropReason::gameFull
                                                : networkDropReason::notJoined);
    }
    m_host.setJoinedPlayers(static_cast<uint32_t>(m_game.getConnectedPlayerCount()));
    return refusals;
}

void ZEBHostedGame::tellGameMove(const netAddress& bigger) {
    messageQueue toSend;
    m_game.tellGameMove(GameMove{bigger.host, bigger.port}, toSend);
    m_host.sendMessages(toSend);
}

void ZEBHostedGame::say(const std::string& text) {
    messageQueue toSend;
    m_game.say(text, toSend);
    m_host.sendMessages(toSend);
}

networkGameStanding ZEBHostedGame::getStanding(uint32_t nowMs) const {
    networkGameStanding standing;
    standing.dedicated = m_dedicated;
    standing.staysPut = m_staysPut;
    standing.players = static_cast<uint32_t>(m_game.getConnectedPlayerCount());
    standing.maxPlayers = MAX_PLAYERS;
    standing.secondsHosted = (nowMs - m_hostedSinceMs) / 1000;
    standing.instance = m_host.getInstance();
    return standing;
}

bool ZEBHostedGame::lookAround(uint32_t nowMs, std::vector<networkClient::session>& seen) {
    if (!m_host.isConnected())
        return false;
    if (!m_watch) {
        m_watch.emplace();
        m_watch->setLogging(false);
        m_watch->setApplicationGuid(APPLICATION_GUID);
        m_watch->initialise();
        m_nextWatchMs = nowMs + WATCH_FIRST_MS + random15() % WATCH_JITTER_MS;
    }
    if (!m_watchRunning) {
        if (isDue(nowMs, m_nextWatchMs)) {
            m_watch->forgetSessions();
            m_watchRunning = m_watch->startSearch();
            m_nextWatchMs = nowMs + WATCH_PERIOD_MS + random15() % WATCH_JITTER_MS;
        }
        return false;
    }
    if (m_watch->continueSearch())
        return false;
    m_watchRunning = false;
    seen.clear();
    for (const networkClient::session& listed : m_watch->getSessionRecords())
        if (listed.ranked && !(listed.applicationDesc.instanceGuid == m_host.getInstance()))
            seen.push_back(listed);
    for (const networkClient::session& listed : m_watch->getFullSessions())
        if (listed.ranked && !(listed.applicationDesc.instanceGuid == m_host.getInstance()))
            seen.push_back(listed);
    // A game that should move here brings its places; one seen at either of
    // the last two looks may be on its way.
    const networkGameStanding own = getStanding(nowMs);
    m_movingHereBefore.swap(m_movingHere);
    m_movingHere.clear();
    for (const networkClient::session& listed : seen)
        if (shouldMoveTo(standingOf(listed), own))
            m_movingHere.push_back(listed);
    m_game.setTakingMovingGames(!m_movingHere.empty() || !m_movingHereBefore.empty());
    return true;
}

std::optional<networkClient::session> ZEBHostedGame::watchForBiggerGame(uint32_t nowMs) {
    std::vector<networkClient::session> seen;
    if (!lookAround(nowMs, seen) || m_dedicated || m_staysPut)
        return std::nullopt;
    const networkGameStanding own = getStanding(nowMs);
    const networkClient::session* best = nullptr;
    for (const networkClient::session& listed : seen) {
        if (shouldMoveTo(own, standingOf(listed)) &&
            (best == nullptr || ranksAbove(standingOf(listed), standingOf(*best))))
            best = &listed;
    }
    if (best == nullptr) {
        m_candidateLooks = 0;
        return std::nullopt;
    }
    if (best->applicationDesc.instanceGuid == m_candidate) {
        ++m_candidateLooks;
    } else {
        m_candidate = best->applicationDesc.instanceGuid;
        m_candidateLooks = 1;
    }
    if (m_candidateLooks < WATCH_LOOKS_BEFORE_MOVING)
        return std::nullopt;
    return *best;
}

std::vector<networkClient::session> ZEBHostedGame::watchForMerges(uint32_t nowMs) {
    std::vector<networkClient::session> seen;
    std::vector<networkClient::session> merged;
    if (!lookAround(nowMs, seen))
        return merged;
    for (const networkClient::session& before : m_movingHereBefore) {
        const netGuid& instance = before.applicationDesc.instanceGuid;
        if (std::none_of(seen.begin(), seen.end(), [&instance](const networkClient::session& listed) {
                return listed.applicationDesc.instanceGuid == instance;
            }))
            merged.push_back(before);
    }
    return merged;
}
