#include "game/windowed/setup/gamesetup.h"

#include "game/windowed/windowtexts.h"

#include "game/common/gamenames.h"
#include "game/common/gamenetwork.h"
#include "game/common/options.h"
#include "game/server/zebgamestategame.h"
#include "platform/system/clock.h"
#include "platform/system/window.h"
#include "platform/system/windowloop.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace win;

namespace {

constexpr int OWN_SESSION_SEARCHES = 10;
// A copy that finds nothing claims the right to host before it hosts: copies
// that search at nearly the same time (started together, or the players of a
// host that left) hear each other's claims, and only the lowest claimant
// hosts; the others search again and find its game. A claim never followed
// by a game (a copy that died, or a liar) holds a copy back this many times
// at most, and never twice for the same claimant.
constexpr int CLAIMS_LOST_BEFORE_HOSTING = 2;
constexpr uint32_t LOOPBACK_BROADCAST = 0x7FFFFFFFu; // 127.255.255.255
constexpr uint32_t CONNECT_DEADLINE_MS = 10000;
constexpr uint32_t JOIN_DEADLINE_MS = 10000;
// The hosting copy's connect to its own game is asked again this often.
constexpr uint32_t OWN_CONNECT_RETRY_MS = 1000;
// The join request is asked again: every frame to the own game, and after a
// while to another copy's, in case the request was lost on the way.
constexpr uint32_t JOIN_PASS_HOSTING_MS = 5;
constexpr uint32_t JOIN_PASS_REMOTE_MS = 250;
// After the party's next game could not be had, the copy looks again later.
constexpr float REJOIN_RETRY_DELAY = 0.5f + 0.75f * MAX_PLAYERS;
// A copy that watches and finds no game looks again after this long.
constexpr float WATCH_SEARCH_DELAY = 2.0f;

bool isLowerGuid(const netGuid& a, const netGuid& b) {
    return std::lexicographical_compare(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end());
}

const networkClient::session* findSession(const std::vector<networkClient::session>& found,
                                          const netGuid& instance) {
    for (const networkClient::session& listed : found)
        if (listed.applicationDesc.instanceGuid == instance)
            return &listed;
    return nullptr;
}

} // namespace

void ZEBGameSetup::start() {
    m_rejoinDelay = -1.0f;
    m_tries = 1;
    m_afterLoss = false;
    m_notice.clear();
    beginSearch(true);
}

ZEBClientSession& ZEBGameSetup::startOffline(std::vector<ZEBObject> shapes) {
    m_hosted.reset();
    m_session.reset();
    m_session.emplace(std::move(shapes));
    m_offline = true;
    enter(setupStage::playing);
    return *m_session;
}

void ZEBGameSetup::restart() {
    m_offline = false;
    m_session.reset();
    m_hosted.reset();
    m_tries = 1;
    m_notice.clear();
    beginSearch(true);
}

uint32_t ZEBGameSetup::takeEvents() {
    const uint32_t events = m_events;
    m_events = 0;
    return events;
}

void ZEBGameSetup::enter(setupStage stage) {
    m_stage = stage;
    m_stageSince = timeGetTime();
}

uint32_t ZEBGameSetup::msInStage() const {
    return timeGetTime() - m_stageSince;
}

void ZEBGameSetup::setNotice(const std::string& notice) {
    m_notice = notice;
    m_noticeSince = timeGetTime();
}

bool ZEBGameSetup::isNoticeFresh() const {
    return !m_notice.empty() && timeGetTime() - m_noticeSince < NOTICE_MS;
}

const char* ZEBGameSetup::getStatus() const {
    switch (m_stage) {
    case setupStage::searching:
    case setupStage::claiming:
        return SEARCHING_TEXT;
    case setupStage::hosting:
        return m_notice.empty() ? HOSTING_TEXT : m_notice.c_str();
    case setupStage::connecting:
    case setupStage::joining:
        return m_moving ? m_notice.c_str() : JOINING_TEXT;
    default:
        return "";
    }
}

// A fresh session searches (or, with --connect, connects to its host); a
// round that may not join any more hosts at once.
void ZEBGameSetup::beginSearch(bool mayJoin) {
    m_offline = false;
    openSession();
    m_searches = 0;
    m_claimsLost = 0;
    m_yieldedTo.clear();
    m_moving = false;
    networkClient& connection = m_session->getConnection();
    if (!m_options.connectHost.empty()) {
        enter(setupStage::connecting);
        if (!connection.connectTo(getConnectAddress(m_options)))
            giveUp();
        return;
    }
    if (!mayJoin && !m_player.watching) { // a copy that watches never hosts
        startHosting();
        return;
    }
    enter(setupStage::searching);
    connection.startSearch();
}

// A fresh session that joins under the player's name, to play or to watch;
// the one before it leaves.
void ZEBGameSetup::openSession() {
    m_session.reset();
    m_session.emplace(m_player.shapes);
    m_session->getCollector().setPlayerName(m_player.name);
    m_session->getCollector().setWatching(m_player.watching);
    m_session->getCollector().setFormerRow(m_formerRow);
    m_events |= SETUP_SESSION_OPENED;
}

void ZEBGameSetup::step(float changeInTime) {
    switch (m_stage) {
    case setupStage::searching:
        stepSearching();
        break;
    case setupStage::claiming:
        stepClaiming();
        break;
    case setupStage::hosting:
        stepHosting();
        break;
    case setupStage::connecting:
        stepConnecting();
        break;
    case setupStage::joining:
        stepJoining();
        break;
    case setupStage::unavailable:
        waitToRejoin(changeInTime);
        break;
    default:
        break;
    }
}

// The first session to answer that has not failed this copy lately is
// joined at once: waiting out the window would choose the same one.
void ZEBGameSetup::stepSearching() {
    if (joinFoundSession())
        return;
    if (m_session->getConnection().continueSearch())
        return;
    if (m_player.watching)
        noGameToWatch();
    else
        startClaim();
}

// True when a session was found and the copy now connects to it.
bool ZEBGameSetup::joinFoundSession() {
    networkClient& connection = m_session->getConnection();
    std::vector<networkClient::session> found = connection.getSessionRecords();
    if (m_player.watching) { // a game without a free place still takes watchers
        const std::vector<networkClient::session> full = connection.getFullSessions();
        found.insert(found.end(), full.begin(), full.end());
    }
    const networkClient::session* chosen = m_failed.choose(found, timeGetTime());
    if (chosen == nullptr)
        return false;
    const networkClient::session session = *chosen;
    enter(setupStage::connecting);
    connection.connectSession(session);
    return true;
}

void ZEBGameSetup::startClaim() {
    if (m_claimsLost >= CLAIMS_LOST_BEFORE_HOSTING) {
        startHosting();
        return;
    }
    m_claimant = makeRandomGuid();
    enter(setupStage::claiming);
    if (!m_session->getConnection().startClaim(m_claimant))
        startHosting();
}

// A claim is also a search: a game that began meanwhile answers it. A lower
// claimant heard means that copy hosts; this one searches again for its game.
void ZEBGameSetup::stepClaiming() {
    if (joinFoundSession())
        return;
    networkClient& connection = m_session->getConnection();
    const bool running = connection.continueSearch();
    for (const netGuid& rival : connection.getRivalClaims()) {
        if (!isLowerGuid(rival, m_claimant) ||
            std::find(m_yieldedTo.begin(), m_yieldedTo.end(), rival) != m_yieldedTo.end())
            continue;
        m_yieldedTo.push_back(rival);
        ++m_claimsLost;
        enter(setupStage::searching);
        connection.startSearch();
        return;
    }
    if (!running)
        startHosting();
}

void ZEBGameSetup::noGameToWatch() {
    setNotice(NO_GAME_TO_WATCH_TEXT);
    enter(setupStage::unavailable);
    m_rejoinDelay = WATCH_SEARCH_DELAY;
}

// A copy that found only full games says so, on the terminal and in the
// window, before it hosts one of its own.
void ZEBGameSetup::noticeFullGames() {
    const std::vector<networkClient::session> full = m_session->getConnection().getFullSessions();
    if (full.empty())
        return;
    const netApplicationDesc& desc = full.front().applicationDesc;
    char text[NET_MAX_SESSION_NAME + 64];
    std::snprintf(text, sizeof(text), "%s is full (%u of %u): hosting a new game", full.front().name.c_str(),
                  desc.currentPlayers, desc.maxPlayers);
    setNotice(text);
    std::fprintf(stderr, "zeb: %s\n", text);
}

// The hosting copy joins its own game as any player does: it finds it by
// searching its own machine too.
void ZEBGameSetup::startHosting() {
    noticeFullGames();
    enter(setupStage::hosting);
    m_othersPlaying = 0;
    // Beside a game that is full, the second game says whose it is.
    gameOptions options = m_options;
    if (options.sessionName.empty() && !m_session->getConnection().getFullSessions().empty())
        options.sessionName = ownGameName(m_player.name);
    m_hosted.emplace(options, m_formerTable);
    if (!m_hosted->isHosting()) {
        cannotHost();
        return;
    }
    announceWeb();
    if (!m_bots && m_options.bots > 0)
        m_bots.emplace(m_options, m_hosted->getHost().getPort());
    findOwnGame();
}

// The game goes on for the players of ZEB's own when the web port is taken.
void ZEBGameSetup::announceWeb() {
    const std::vector<std::string> lines = m_hosted->describeWeb(m_options);
    for (const std::string& line : lines)
        std::printf("zeb: %s\n", line.c_str());
    std::fflush(stdout);
    if (m_options.web && !m_hosted->isServingWeb())
        setNotice(lines.front());
}

void ZEBGameSetup::findOwnGame() {
    enter(setupStage::hosting);
    m_searches = 0;
    m_session->getConnection().addDiscoveryTarget(LOOPBACK_BROADCAST);
    m_session->getConnection().startSearch();
}

void ZEBGameSetup::stepHosting() {
    networkClient& connection = m_session->getConnection();
    const bool running = connection.continueSearch();
    const std::vector<networkClient::session> found = connection.getSessionRecords();
    if (const networkClient::session* own = findSession(found, m_hosted->getHost().getInstance())) {
        const networkClient::session session = *own;
        enter(setupStage::connecting);
        connection.connectSession(session);
        m_lastConnectAttempt = timeGetTime();
        return;
    }
    if (running)
        return;
    if (++m_searches < OWN_SESSION_SEARCHES) {
        connection.startSearch();
        return;
    }
    std::fprintf(stderr, "zeb: hosting \"%s\", but its own session does not answer on this machine\n",
                 getHostedSessionName(m_options).c_str());
    cannotHost();
}

void ZEBGameSetup::cannotHost() {
    m_hosted.reset();
    enter(setupStage::failed);
    endWindowLoop(1);
}

void ZEBGameSetup::stepConnecting() {
    networkClient& connection = m_session->getConnection();
    if (connection.isConnected()) {
        beginJoining();
        return;
    }
    const bool late = msInStage() > CONNECT_DEADLINE_MS;
    if (m_hosted && !late) {
        // The own game is on this machine: a connect that failed is tried
        // again, after the failed attempt's end of session is taken so that
        // the next attempt does not read it as its own.
        if (!connection.isConnecting() || timeGetTime() - m_lastConnectAttempt >= OWN_CONNECT_RETRY_MS) {
            messageQueue stale;
            connection.receiveMessages(stale);
            const std::vector<networkClient::session> found = connection.getSessionRecords();
            const networkClient::session* own = findSession(found, m_hosted->getHost().getInstance());
            if (own == nullptr) {
                joinFailed();
                return;
            }
            connection.connectSession(*own);
            m_lastConnectAttempt = timeGetTime();
        }
        return;
    }
    if (late || !connection.isConnecting())
        joinFailed();
}

void ZEBGameSetup::beginJoining() {
    enter(setupStage::joining);
    m_lastJoinRequest = timeGetTime() - JOIN_PASS_REMOTE_MS; // the first request goes at once
    stepJoining();
}

void ZEBGameSetup::stepJoining() {
    networkClient& connection = m_session->getConnection();
    ZEBGameStateCollector& collector = m_session->getCollector();
    messageQueue in;
    messageQueue out;
    std::vector<networkEvent> events;
    connection.receiveMessages(in, events);
    if (hasSessionEnded(events) || (!connection.isConnected() && !connection.isConnecting()) ||
        msInStage() > JOIN_DEADLINE_MS) {
        joinFailed();
        return;
    }
    collector.update(0.0f, in, out);
    if (collector.wasRefusedWatching()) {
        setNotice(CANNOT_WATCH_TEXT);
        joinFailed();
        return;
    }
    if (collector.hasJoined()) {
        enter(setupStage::playing);
        if (m_player.record)
            m_session->startRecording(m_player.name);
        m_session->setHostSilence(0.0f);
        m_events |= SETUP_JOINED;
        m_afterLoss = false;
        m_moving = false;
        m_formerRow = -1;
        return;
    }
    const uint32_t pass = m_hosted ? JOIN_PASS_HOSTING_MS : JOIN_PASS_REMOTE_MS;
    if (timeGetTime() - m_lastJoinRequest >= pass) {
        connection.sendMessages(out);
        m_lastJoinRequest = timeGetTime();
    }
}

// After a session found by searching could not be joined, the copy searches
// again, passing over it; after a few such sessions it hosts its own game.
bool ZEBGameSetup::maySearchAgain() const {
    return m_options.connectHost.empty() && !m_hosted;
}

void ZEBGameSetup::joinFailed() {
    if (!maySearchAgain()) {
        giveUp();
        return;
    }
    reportUnavailable("searching again");
    networkClient& connection = m_session->getConnection();
    m_failed.remember(connection.getSessionInstance(), connection.getHostAddress(), timeGetTime());
    if (m_moving) // not a game to move to again soon either
        m_failedMoves.remember(connection.getSessionInstance(), connection.getHostAddress(), timeGetTime());
    beginSearch(m_tries++ < JOIN_TRIES_PER_SEARCH_ROUND);
}

// Says on standard error why the game could not be joined, when the
// connection knows, and what this copy does next.
void ZEBGameSetup::reportUnavailable(const char* next) {
    networkClient& connection = m_session->getConnection();
    const networkEnd end = connection.getEnd();
    const std::string host = !m_options.connectHost.empty() && end == networkEnd::badAddress
                                 ? m_options.connectHost
                                 : formatAddress(connection.getHostAddress());
    const char* reason = m_session->getCollector().wasRefusedWatching() ? "its host cannot take watchers"
                         : end == networkEnd::none                      ? "no answer to the join request"
                                                                        : describeEnd(end);
    std::fprintf(stderr, "zeb: cannot join the game at %s: %s%s%s\n", host.c_str(), reason,
                 next != nullptr ? "; " : "", next != nullptr ? next : "");
    if (next != nullptr)
        return;
    // With --connect this copy neither searches nor hosts: the window says why.
    if (!m_options.connectHost.empty())
        setNotice("The game at " + host + ": " + reason + ". --connect joins that host only.");
    else
        setNotice(describeUnavailable(end));
}

// A copy that could not join lets go of its connection, and a copy that
// hosts a game it cannot play in stops hosting it. A copy looking for its
// party's next game looks again later.
void ZEBGameSetup::giveUp() {
    reportUnavailable();
    m_session->getConnection().disconnect();
    m_hosted.reset();
    enter(setupStage::unavailable);
    if (m_afterLoss && m_options.rejoin)
        m_rejoinDelay = REJOIN_RETRY_DELAY;
}
