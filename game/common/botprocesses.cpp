#include "game/common/botprocesses.h"

#include "game/common/options.h"
#include "game/common/serverevent.h"
#include "platform/language/translation.h"
#include "platform/system/userfiles.h"

#include <cstdio>
#include <string>

namespace {

constexpr int BOT_STOP_TIMEOUT_MS = 3000;

} // namespace

// Each bot joins this copy's game over loopback and keeps its message log in a
// folder of its own, in the folder of this copy's log.
ZEBBotProcesses::ZEBBotProcesses(const gameOptions& options, uint16_t gamePort) {
    if (options.bots <= 0)
        return;
    const std::string address = "127.0.0.1:" + std::to_string(gamePort);
    const std::string logFolder = userLogFolder();
    const std::string botFolder = (logFolder.empty() ? std::string() : logFolder + "/") + "bot-";
    for (int i = 1; i <= options.bots; ++i) {
        const std::string number = std::to_string(i);
        std::vector<std::string> arguments = {"--bot", "--connect", address, "--name", "Bot " + number};
        if (options.log)
            arguments.push_back("--log");
        const pid_t bot = startProgramCopy(arguments, botFolder + number);
        if (bot < 0) {
            std::fprintf(stderr, tr("zeb: bot %d could not be started\n"), i);
            continue;
        }
        m_bots.push_back(bot);
    }
    if (options.server)
        printServerEvent(trn("ZEB server: started %d bots", "ZEB server: started %d bots", m_bots.size()),
                         static_cast<int>(m_bots.size()));
}

ZEBBotProcesses::~ZEBBotProcesses() {
    stopProgramCopies(m_bots, BOT_STOP_TIMEOUT_MS);
}
