#include "game/shell/shellnetwork.h"

#include "game/rules/protocol.h"
#include "game/shell/shell.h"
#include "game/shell/shelldata.h"
#include "game/shell/shelloptions.h"
#include "networklib/networkconnection.h"
#include "networklib/networksettings.h"

// The message log's rows for the transport's events use the numbers the protocol keeps for them.
static_assert(NETWORK_LOG_PLAYER_JOINED == MSG_PLAYER_CREATED, "player created type");
static_assert(NETWORK_LOG_PLAYER_LEFT == MSG_PLAYER_DESTROYED, "player destroyed type");
static_assert(NETWORK_LOG_SESSION_ENDED == MSG_SESSION_TERMINATED, "session terminated type");

void applyNetworkOptions(const shellOptions& options) {
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

std::string getHostedSessionName(const shellOptions& options) {
    return options.sessionName.empty() ? SESSION_NAME : options.sessionName;
}

std::string ownGameName(const std::string& playerName) {
    return playerName + "'s game";
}

std::string getConnectAddress(const shellOptions& options) {
    std::string address = options.connectHost;
    if (options.connectPort != 0)
        address += ":" + std::to_string(options.connectPort);
    return address;
}
