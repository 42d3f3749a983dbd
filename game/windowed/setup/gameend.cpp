#include "game/windowed/setup/gamesetup.h"

#include "game/server/zebgamestategame.h"
#include "game/windowed/windowtexts.h"

#include "core/random.h"
#include "game/common/options.h"
#include "platform/system/clock.h"

#include <algorithm>

using namespace win;

namespace {

// After the host has left, every copy searches again; the first to find
// nothing hosts and the others join it. The copies wait in turn, by the place
// each held, so that two rarely search at once, with a little chance on top.
constexpr float REJOIN_FIRST_DELAY = 0.5f;
// A copy that finds nothing claims for a moment, then hosts; the next copy's
// search, a turn later, must find that game answering. So a turn is longer
// than a search and a claim, the chance on top and the start of hosting on a
// busy machine together.
constexpr float REJOIN_STAGGER = 1.25f;
constexpr float REJOIN_JITTER = 0.25f;

float rejoinDelay(int place) {
    return REJOIN_FIRST_DELAY + REJOIN_STAGGER * static_cast<float>(std::max(place, 0) % MAX_PLAYERS) +
           REJOIN_JITTER * static_cast<float>(random15()) / static_cast<float>(RANDOM_MAX);
}

// A host that vanished is noticed when each copy's link gives up on it, at a
// moment of its own between the link's shortest and longest time-out: turns
// counted from there could meet, and two copies would host at once. Counted
// from the host's last message, which all of them heard within a frame or
// two, the turns keep their order.
float lossNoticeAlignment(networkEnd end, float hostSilence) {
    const float latestNotice = static_cast<float>(getLinkGiveUpMs()) / 1000.0f;
    return end == networkEnd::connectionLost ? std::max(0.0f, latestNotice - hostSilence) : 0.0f;
}

constexpr int ELEMENTS_PER_PLACE = 1 + BULLETS_PER_PLAYER; // a ship and its bullets

} // namespace

bool ZEBGameSetup::keepsPlaying() {
    if (m_session->getConnection().isConnected())
        return true;
    if (!followGameMove())
        endPlaying();
    return false;
}

void ZEBGameSetup::takeTable() {
    const ZEBGameStateCollector& collector = m_session->getCollector();
    if (collector.getStatsCount() > 0)
        m_formerTable = collector.getStats();
}

// Leaving and joining again is how the host learns of the change: a player's
// place stays in the table as watching, kept for it under its name, and a
// watcher's name leaves the list. A copy that hosts keeps its game and joins
// it again from its own machine.
bool ZEBGameSetup::changeWatching() {
    if (m_offline)
        return false; // a recording is watched already
    if (!m_hosted) {
        restart();
        return true;
    }
    openSession();
    findOwnGame();
    return true;
}

// The game ended under this copy: it says why, passes over that session in
// its next searches (its address may soon host the party's next game), and
// waits its turn to search again.
void ZEBGameSetup::endPlaying() {
    networkClient& connection = m_session->getConnection();
    setNotice(describeUnavailable(connection.getEnd()));
    m_failed.remember(connection.getSessionInstance(), netAddress{}, timeGetTime());
    m_formerRow = ownTableRow(); // the next game may keep this row's place
    scheduleRejoin();
    m_session->endGame();
    m_events |= SETUP_LEFT_GAME;
    enter(setupStage::unavailable);
    // Its own player gone, a hosting copy cannot go on: a game nobody steps
    // would freeze for everyone, and newcomers would join it.
    m_hosted.reset();
}

void ZEBGameSetup::stepHosted(float changeInTime) {
    if (!m_hosted)
        return;
    if (!m_hosted->isHosting()) {
        m_hosted.reset();
        if (m_stage == setupStage::playing)
            enter(setupStage::unavailable);
        return;
    }
    messageQueue receivedMessages;
    std::vector<networkEvent> events;
    m_hosted->receiveMessages(receivedMessages, events);
    m_hosted->tick(changeInTime, receivedMessages, events);
}

// The own row's place in the score table: rows keep the host's order of
// places, so no two players share a turn. Before the first table has come,
// the ship's element id tells the place, as long as nothing was made between
// two joins (asteroids' pieces can be, later in a game).
int ZEBGameSetup::ownPlace() const {
    const int row = ownTableRow();
    if (row >= 0)
        return row;
    const int ownShip = m_session->getCollector().getOwnIndex();
    return ownShip >= 0 ? ownShip / ELEMENTS_PER_PLACE : 0;
}

int ZEBGameSetup::ownTableRow() const {
    const ZEBGameStateCollector& collector = m_session->getCollector();
    for (int row = 0; row < collector.getStatsCount(); ++row)
        if (collector.isOwnStatsRow(row))
            return row;
    return -1;
}

void ZEBGameSetup::scheduleRejoin() {
    const networkEnd end = m_session->getConnection().getEnd();
    if (m_options.rejoin && (end == networkEnd::hostStopped || end == networkEnd::connectionLost))
        m_rejoinDelay = rejoinDelay(ownPlace()) + lossNoticeAlignment(end, m_session->getHostSilence());
}

void ZEBGameSetup::waitToRejoin(float changeInTime) {
    if (m_rejoinDelay < 0.0f)
        return;
    m_rejoinDelay -= changeInTime;
    if (m_rejoinDelay >= 0.0f)
        return;
    m_rejoinDelay = -1.0f;
    m_afterLoss = true;
    restart();
}
