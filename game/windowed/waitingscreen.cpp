#include "game/windowed/windowtexts.h"

#include "game/windowed/windowedgame.h"

#include "networklib/networkclient.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// What the window says while this copy has no game: why the last one ended
// or could not be joined, and when the next search starts.
std::string describeUnavailable(networkEnd end) {
    switch (end) {
    case networkEnd::hostStopped:
        return tr("The host left the game.");
    case networkEnd::connectionLost:
        return tr("Connection lost: the host stopped answering.");
    case networkEnd::gameFull:
        return tr("The game is full.");
    case networkEnd::none:
        return tr("The host did not answer the join request.");
    default:
        return formatText(tr("The game could not be joined: %s."), tr(describeEnd(end)));
    }
}

std::string searchCountdownText(float rejoinDelay) {
    if (!(rejoinDelay >= 0.0f))
        return {};
    // Whole seconds, rounded up: the line never says 0 before the search starts.
    const int seconds = std::max(1, static_cast<int>(std::ceil(rejoinDelay)));
    return formatText(trn("Searching again in %d s ...", "Searching again in %d s ...",
                          static_cast<unsigned long>(seconds)),
                      seconds);
}

bool isHostSilent(float linkSilence) {
    return linkSilence >= HOST_SILENCE_LIMIT;
}

bool ZEBWindowedGame::showsConnectionLost() const {
    return getStage() == setupStage::playing && m_setup.getSession() &&
           isHostSilent(m_setup.getSession()->getLinkSilence());
}
