#include "core/displaytext.h"
#include "core/timer.h"
#include "game/bot/botplayer.h"
#include "game/common/datafiles.h"
#include "game/common/gamenetwork.h"
#include "game/common/levelfailure.h"
#include "game/common/options.h"
#include "game/common/statusquery.h"
#include "game/dedicated/dedicatedserver.h"
#include "game/dedicated/serversettings.h"
#include "game/windowed/replay/replayviewer.h"
#include "game/windowed/windowtexts.h"
#include "networklib/messagelog.h"
#include "platform/system/assertionbox.h"
#include "platform/system/clock.h"
#include "platform/system/errorbox.h"
#include "platform/system/userfiles.h"

#include <cstdio>
#include <string>

using namespace win;

namespace {

// A level that cannot be read is shown in a box too, where there is a window.
void showLevelFailure(const char* text) {
    showErrorBox("ZEB", text);
}

int run(const gameOptions& options) {
    return runReportingLevelFailures(
        [&options] {
            if (options.status)
                return runStatusQuery(options);
            if (options.bot)
                return runBot(options);
            if (!options.replay.empty())
                return runReplay(options);
            return options.server ? runDedicatedServer(options) : runWindowedGame(options);
        },
        options.server ? nullptr : &showLevelFailure);
}

} // namespace

int main(int argc, char** argv) {
    // The foundation asks nothing of the platform: the program hands it the
    // clock its timers read and the way to ask about a broken invariant.
    setTimerClock(&timeGetTime);
    setAssertionHandler(&askAboutAssertion);
    gameOptions options;
    std::string error;
    if (!loadOptions(argc, argv, options, error)) {
        // The error may quote a file's or an argument's bytes.
        std::fprintf(stderr, "zeb: %s (try --help)\n", makeEscapedText(error).c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText("zeb").c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts(ZEB_VERSION_TEXT);
        return 0;
    }
    // A bot keeps its log in the folder its host made for it.
    if (options.log)
        messageLog::keepMessageLog(options.bot ? std::string(MESSAGE_LOG_FILE_NAME) : messageLogPath());
    return run(options);
}
