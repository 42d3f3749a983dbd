#include "game/windowed/setup/gamesetup.h"

#include "game/windowed/windowtexts.h"

#include "game/common/options.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"
#include "platform/system/clock.h"

#include <cstdio>

using namespace win;

// Copies that started together, a party split by a lost host, two switches
// joined by a cable: games that form apart are made one. The hosting copy
// that should move (networkrank.h) tells its players where, ends its game
// and joins the bigger game itself at once; the players whose copies
// understand follow at once, the others search again.
void ZEBGameSetup::watchForBiggerGame() {
    if (!m_hosted) {
        m_moveProbe.reset();
        return;
    }
    // A host whose link went down plays on alone; its watch finds the others'
    // new game once the link is back.
    const int others = m_hosted->getGame().getConnectedPlayerCount() - 1;
    if (others == 0 && m_othersPlaying > 0) {
        setNotice(tr(ALONE_TEXT));
        std::fprintf(stderr, "zeb: %s\n", tr(ALONE_TEXT));
    }
    m_othersPlaying = others;
    if (m_moveProbe) {
        tryBiggerGame();
        return;
    }
    const std::optional<networkClient::session> bigger = m_hosted->watchForBiggerGame(timeGetTime());
    if (bigger && !m_failedMoves.isRemembered(*bigger, timeGetTime()))
        m_moveProbe.emplace(*bigger, m_player.name, timeGetTime());
}

// The game moves only once the bigger one has let this copy in to watch.
void ZEBGameSetup::tryBiggerGame() {
    const ZEBMoveProbe::verdict verdict = m_moveProbe->step(timeGetTime());
    if (verdict == ZEBMoveProbe::verdict::waiting)
        return;
    const networkClient::session bigger = m_moveProbe->getTarget();
    m_moveProbe.reset();
    if (verdict == ZEBMoveProbe::verdict::real) {
        moveToGame(bigger);
        return;
    }
    std::fprintf(stderr, tr("zeb: the bigger game at %s did not let this copy in; staying\n"),
                 formatAddress(bigger.hostAddress).c_str());
    m_failedMoves.remember(bigger.applicationDesc.instanceGuid, bigger.hostAddress, timeGetTime());
}

void ZEBGameSetup::moveToGame(const networkClient::session& bigger) {
    const std::string text = formatText(tr("Joining the bigger game \"%s\" at %s ..."), bigger.name.c_str(),
                                        formatAddress(bigger.hostAddress).c_str());
    m_hosted->tellGameMove(bigger.hostAddress);
    beginMove(text);   // leaves the own game first, so that its end is not this copy's
    if (bigger.ranked) // its host keeps the places of the table it is brought
        m_session->getCollector().bringPlaces(m_formerTable);
    m_hosted.reset();
    m_session->getConnection().connectSession(bigger);
}

// The host said where its game went, at the end of it: a copy sent to its
// host with --connect stays; any other follows.
bool ZEBGameSetup::followGameMove() {
    if (!m_options.connectHost.empty())
        return false;
    messageQueue in;
    messageQueue out;
    m_session->getConnection().receiveMessages(in); // what came with the end
    m_session->getCollector().update(0.0f, in, out);
    GameMove move;
    if (!m_session->getCollector().takeGameMove(move))
        return false;
    const std::string address = formatAddress(netAddress{move.host, move.port});
    m_failed.remember(m_session->getConnection().getSessionInstance(), netAddress{}, timeGetTime());
    beginMove(formatText(tr("Joining the bigger game at %s ..."),
                         address.c_str())); // its host brings this copy's place
    if (!m_session->getConnection().connectTo(address))
        joinFailed();
    return true;
}

// A fresh session that joins the bigger game, keeping the own row of the
// last table for the place kept there; the window says so meanwhile.
void ZEBGameSetup::beginMove(const std::string& notice) {
    std::fprintf(stderr, "zeb: %s\n", notice.c_str());
    setNotice(notice);
    m_events |= SETUP_LEFT_GAME;
    m_offline = false;
    m_formerRow = ownTableRow();
    openSession();
    m_moving = true;
    m_tries = 1;
    enter(setupStage::connecting);
}
