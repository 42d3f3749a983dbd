#include "game/common/gamenetwork.h"

#include "game/common/datafiles.h"
#include "game/common/gamenames.h"
#include "game/common/options.h"
#include "game/rules/protocol.h"
#include "networklib/networkconnection.h"
#include "networklib/networksettings.h"

// The message log's rows for the transport's events use the numbers the protocol keeps for them.
static_assert(NETWORK_LOG_PLAYER_JOINED == MSG_PLAYER_CREATED, "player created type");
static_assert(NETWORK_LOG_PLAYER_LEFT == MSG_PLAYER_DESTROYED, "player destroyed type");
static_assert(NETWORK_LOG_SESSION_ENDED == MSG_SESSION_TERMINATED, "session terminated type");

void applyNetworkOptions(const gameOptions& options) {
    if (!options.discoveryTargets.empty())
        setDiscoveryTargets(options.discoveryTargets);
    if (options.discoveryPort != 0)
        setDiscoveryPort(options.discoveryPort);
}

LevelData loadLevelFile() {
    return loadLevel(getLevelFileName());
}

std::string getLevelFileName() {
    return findDataFile(LEVEL_FILE);
}

std::string getHostedSessionName(const gameOptions& options) {
    return options.sessionName.empty() ? SESSION_NAME : options.sessionName;
}

std::string ownGameName(const std::string& playerName) {
    return playerName + "'s game";
}

std::string getConnectAddress(const gameOptions& options) {
    std::string address = options.connectHost;
    if (options.connectPort != 0)
        address += ":" + std::to_string(options.connectPort);
    return address;
}
