#include "core/timer.h"
#include "game/bot/botplayer.h"
#include "game/common/gamenetwork.h"
#include "game/common/levelfailure.h"
#include "game/common/options.h"
#include "game/common/statusquery.h"
#include "game/dedicated/dedicatedserver.h"
#include "game/dedicated/serversettings.h"
#include "platform/language/languagechoice.h"
#include "platform/language/translation.h"
#include "platform/system/clock.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace win;

// zeb-server: the dedicated host alone, for containers and fleets. It takes
// the options of `zeb --server` (--server itself may be left out) and links
// no window, drawing, sound, font or TLS library. The bots it brings along are
// copies of itself started with --bot, as zeb's are of zeb: a bot that fails
// takes nothing of the host with it. A broken invariant is
// reported on standard error, with nobody to ask.

int main(int argc, char** argv) {
    setTimerClock(&timeGetTime);
    std::vector<const char*> arguments(argv, argv + argc);
    bool asked = false;
    for (const char* argument : arguments)
        asked = asked || std::string(argument) == "--server" || std::string(argument) == "--status" ||
                std::string(argument) == "--bot";
    if (!asked)
        arguments.push_back("--server");
    languageInUse language;
    language.use({});
    gameOptions options;
    std::string error;
    if (!loadOptions(static_cast<int>(arguments.size()), arguments.data(), options, error)) {
        std::fprintf(stderr, tr("zeb-server: %s (try --help)\n"), error.c_str());
        return 2;
    }
    if (!options.language.empty())
        language.use(options.language);
    if (options.help) {
        std::puts(tr("zeb-server is the dedicated server of ZEB alone, as zeb --server; the options of the\n"
                     "window and the player do not apply to it. Its computer players (--bots N) are copies\n"
                     "of itself run with --bot."));
        std::fputs(usageText("zeb-server").c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts(ZEB_VERSION_TEXT);
        return 0;
    }
    return runReportingLevelFailures(
        [&options] {
            if (options.bot)
                return runBot(options);
            return options.status ? runStatusQuery(options) : runDedicatedServer(options);
        },
        nullptr);
}
