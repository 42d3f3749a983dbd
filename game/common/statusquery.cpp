#include "game/common/statusquery.h"
#include "game/common/gamenames.h"

#include "game/common/gamenetwork.h"
#include "networklib/networkclient.h"
#include "platform/language/translation.h"

#include <cstdio>

namespace {

// The name comes from the network: control characters would reach the terminal.
std::string printable(const std::string& name) {
    std::string shown = name;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return shown;
}

void printSession(const networkClient::session& listed, bool full) {
    const netApplicationDesc& desc = listed.applicationDesc;
    // A host that sets no limit advertises 0.
    const std::string maximum = desc.maxPlayers == 0 ? tr("no limit") : std::to_string(desc.maxPlayers);
    std::printf(trn("%s \"%s\": %u players, maximum %s%s\n", "%s \"%s\": %u players, maximum %s%s\n",
                    desc.currentPlayers),
                formatAddress(listed.hostAddress).c_str(), printable(listed.name).c_str(),
                desc.currentPlayers, maximum.c_str(), full ? tr(" (full)") : "");
}

// A game that ranks below another it sees is about to move there.
void printMerges(const std::vector<networkClient::session>& listed) {
    for (const networkClient::session& game : listed) {
        const networkClient::session* bigger = nullptr;
        for (const networkClient::session& other : listed) {
            if (game.ranked && other.ranked && shouldMoveTo(standingOf(game), standingOf(other)) &&
                (bigger == nullptr || ranksAbove(standingOf(other), standingOf(*bigger))))
                bigger = &other;
        }
        if (bigger != nullptr)
            std::printf(tr("  games merge: \"%s\" at %s moves to %s\n"), printable(game.name).c_str(),
                        formatAddress(game.hostAddress).c_str(), formatAddress(bigger->hostAddress).c_str());
    }
}

} // namespace

// One search of the discovery targets: every host that answers within the
// search window is printed, one line each.
int runStatusQuery(const gameOptions& options) {
    applyNetworkOptions(options);
    networkClient client;
    client.setLogging(false);
    client.setApplicationGuid(APPLICATION_GUID);
    client.initialise();
    client.enumerateHosts();
    const std::vector<networkClient::session> open = client.getSessionRecords();
    const std::vector<networkClient::session> full = client.getFullSessions();
    for (const networkClient::session& listed : open)
        printSession(listed, false);
    for (const networkClient::session& listed : full)
        printSession(listed, true);
    std::vector<networkClient::session> all = open;
    all.insert(all.end(), full.begin(), full.end());
    printMerges(all);
    const bool none = open.empty() && full.empty();
    if (none)
        std::printf("%s", tr("No game answered.\n"));
    std::fflush(stdout);
    return none ? 1 : 0;
}
