#include "baselib/source/displaytext.h"
#include "baselib/source/timer.h"
#include "game/shell/levelfailure.h"
#include "game/shell/serversettings.h"
#include "game/shell/shell.h"
#include "game/shell/shelldata.h"
#include "game/shell/shellnetwork.h"
#include "game/shell/shelloptions.h"
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

int run() {
    return runReportingLevelFailures(
        [] {
            if (g_options.status)
                return runStatusQuery();
            if (g_options.bot)
                return runBot();
            if (!g_options.replay.empty())
                return runReplay();
            return g_options.server ? runDedicatedServer() : runWindowedGame();
        },
        g_options.server ? nullptr : &showLevelFailure);
}

} // namespace

int main(int argc, char** argv) {
    // The foundation asks nothing of the platform: the program hands it the
    // clock its timers read and the way to ask about a broken invariant.
    setTimerClock(&timeGetTime);
    setAssertionHandler(&askAboutAssertion);
    std::string error;
    if (!loadOptions(argc, argv, g_options, error)) {
        // The error may quote a file's or an argument's bytes.
        std::fprintf(stderr, "zeb: %s (try --help)\n", makeEscapedText(error).c_str());
        return 2;
    }
    if (g_options.help) {
        std::fputs(usageText("zeb").c_str(), stdout);
        return 0;
    }
    if (g_options.version) {
        std::puts(ZEB_VERSION_TEXT);
        return 0;
    }
    // A bot keeps its log in the folder its host made for it.
    if (g_options.log)
        messageLog::keepMessageLog(g_options.bot ? std::string(MESSAGE_LOG_FILE_NAME) : messageLogPath());
    return run();
}
