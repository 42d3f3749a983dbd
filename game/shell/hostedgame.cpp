#include "game/shell/hostedgame.h"

#include "game/shell/hostedlevel.h"
#include "game/shell/shell.h"
#include "game/shell/shellnetwork.h"
#include "game/shell/shelloptions.h"
#include "networklib/networksettings.h"

#include <cstdio>

ZEBHostedGame::ZEBHostedGame(const shellOptions& options, const std::vector<PlayerStats>& formerTable) {
    hostLevel(loadLevelFile(), m_game, m_shapes);
    m_game.createAsteroids();
    m_game.reservePlaces(formerTable);
    m_host.setApplicationGuid(APPLICATION_GUID);
    m_host.setSessionName(getHostedSessionName(options));
    m_host.setMaxPlayers(MAX_PLAYERS);
    if (options.port != 0)
        m_host.requirePort(options.port);
    m_host.initialise();
    m_host.startHosting();
    if (!m_host.isConnected())
        reportCannotHost(options);
}

ZEBHostedGame::~ZEBHostedGame() {
    m_host.stopHosting();
}

void ZEBHostedGame::reportCannotHost(const shellOptions& options) const {
    const std::string name = getHostedSessionName(options);
    if (options.port != 0) {
        std::fprintf(stderr, "zeb: cannot host \"%s\" on port %u: the port is taken or there is no network\n",
                     name.c_str(), static_cast<unsigned>(options.port));
    } else {
        std::fprintf(stderr,
                     "zeb: cannot host \"%s\": no port to listen on or no network (tried port %u, then any "
                     "free port)\n",
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

void ZEBHostedGame::say(const std::string& text) {
    messageQueue toSend;
    m_game.say(text, toSend);
    m_host.sendMessages(toSend);
}
