#include "game/shell/shell.h"

#include "game/shell/serverevent.h"
#include "game/shell/shellnetwork.h"
#include "networklib/networkhost.h"
#include "platform/system/childprocess.h"
#include "platform/system/userfiles.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int BOT_STOP_TIMEOUT_MS = 3000;

std::vector<pid_t> g_bots;

} // namespace

// Each bot joins this copy's game over loopback and keeps its message log in a
// folder of its own, in the folder of this copy's log.
void startBots() {
    if (g_options.bots <= 0 || g_host == nullptr)
        return;
    const std::string address = "127.0.0.1:" + std::to_string(g_host->getPort());
    const std::string logFolder = userLogFolder();
    const std::string botFolder = (logFolder.empty() ? std::string() : logFolder + "/") + "bot-";
    for (int i = 1; i <= g_options.bots; ++i) {
        const std::string number = std::to_string(i);
        std::vector<std::string> arguments = {"--bot", "--connect", address, "--name", "Bot " + number};
        if (g_options.log)
            arguments.push_back("--log");
        const pid_t bot = startProgramCopy(arguments, botFolder + number);
        if (bot < 0) {
            std::fprintf(stderr, "zeb: bot %d could not be started\n", i);
            continue;
        }
        g_bots.push_back(bot);
    }
    if (g_options.server)
        printServerEvent("ZEB server: started %zu bots", g_bots.size());
}

void stopBots() {
    stopProgramCopies(g_bots, BOT_STOP_TIMEOUT_MS);
    g_bots.clear();
}
