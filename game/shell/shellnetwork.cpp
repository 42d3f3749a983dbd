#include "game/shell/shellnetwork.h"

#include "game/level/levelloader.h"
#include "game/rules/protocol.h"
#include "game/server/zebgamestategame.h"
#include "game/shell/shell.h"
#include "game/shell/shelldata.h"
#include "networklib/networkhost.h"
#include "platform/net/netsettings.h"

#include <cstdio>

// The message log's rows for the transport's events use the numbers the protocol keeps for them.
static_assert(NETWORK_LOG_PLAYER_JOINED == MSG_PLAYER_CREATED, "player created type");
static_assert(NETWORK_LOG_PLAYER_LEFT == MSG_PLAYER_DESTROYED, "player destroyed type");
static_assert(NETWORK_LOG_SESSION_ENDED == MSG_SESSION_TERMINATED, "session terminated type");

namespace {

std::string g_levelFileName = LEVEL_FILE;

} // namespace

void applyNetworkOptions() {
    if (!g_options.discoveryTargets.empty())
        setDiscoveryTargets(g_options.discoveryTargets);
    if (g_options.discoveryPort != 0)
        setDiscoveryPort(g_options.discoveryPort);
}

void loadLevelFile(std::vector<ZEBObject>& objects, ZEBGameStateGame* game) {
    g_levelFileName = findDataFile(LEVEL_FILE);
    loadLevel(g_levelFileName, objects, game);
}

const std::string& getLevelFileName() {
    return g_levelFileName;
}

std::string getHostedSessionName() {
    return g_options.sessionName.empty() ? SESSION_NAME : g_options.sessionName;
}

bool startHostedGame() {
    g_serverGame = new ZEBGameStateGame();
    g_host = new networkHost();
    loadLevelFile(g_serverObjects, g_serverGame);
    g_serverGame->createAsteroids();
    g_serverGame->reservePlaces(g_formerTable);
    g_host->setApplicationGuid(APPLICATION_GUID);
    g_host->setSessionName(getHostedSessionName());
    g_host->setMaxPlayers(MAX_PLAYERS);
    if (g_options.port != 0)
        g_host->requirePort(g_options.port);
    g_host->initialise();
    g_host->startHosting();
    if (g_host->isConnected())
        return true;
    if (g_options.port != 0) {
        std::fprintf(stderr, "zeb: cannot host \"%s\" on port %u: the port is taken or there is no network\n",
                     getHostedSessionName().c_str(), static_cast<unsigned>(g_options.port));
    } else {
        std::fprintf(stderr,
                     "zeb: cannot host \"%s\": no port to listen on or no network (tried port %u, then any "
                     "free port)\n",
                     getHostedSessionName().c_str(), static_cast<unsigned>(getGamePort()));
    }
    return false;
}

std::vector<PlayerRefusal> tickHostedGame(float dt, messageQueue& received,
                                          const std::vector<networkEvent>& events) {
    messageQueue toSend;
    g_serverGame->tick(dt, g_serverObjects, received, events, toSend);
    g_host->sendMessages(toSend);
    std::vector<PlayerRefusal> refusals;
    g_serverGame->takeRefusals(refusals);
    for (const PlayerRefusal& refusal : refusals) {
        g_host->dropPlayer(refusal.playerID, refusal.reason == refusalReason::gameFull
                                                 ? networkDropReason::gameFull
                                                 : networkDropReason::notJoined);
    }
    g_host->setJoinedPlayers(static_cast<uint32_t>(g_serverGame->getConnectedPlayerCount()));
    return refusals;
}

void stopHosting() {
    if (g_host != nullptr)
        g_host->stopHosting();
}
