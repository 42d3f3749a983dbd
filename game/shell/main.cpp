#include "baselib/source/timer.h"
#include "game/level/qxl.h"
#include "game/shell/serversettings.h"
#include "game/shell/shell.h"
#include "game/shell/shelldata.h"
#include "game/shell/shellnetwork.h"
#include "game/shell/shelloptions.h"
#include "networklib/messagelog.h"
#include "platform/system/assertionbox.h"
#include "platform/system/clock.h"
#include "platform/system/errorbox.h"

#include <cstdio>
#include <string>

using namespace win;

namespace {

// A level that cannot be read ends the program with the file and the reason.
int reportLevelFailure(const char* reason) {
    const std::string text =
        "The level file \"" + getLevelFileName() + "\" cannot be loaded: " + reason + ".";
    std::fprintf(stderr, "zeb: %s\n", text.c_str());
    if (!g_options.server)
        showErrorBox("ZEB", text.c_str());
    return 1;
}

int run() {
    try {
        if (g_options.status)
            return runStatusQuery();
        if (g_options.bot)
            return runBot();
        return g_options.server ? runDedicatedServer() : runWindowedGame();
    } catch (const QXL::InvalidFileFormatException&) {
        return reportLevelFailure("it is not a valid level (malformed XML, or a part is missing or wrong)");
    } catch (const QXL::InvalidParameterException&) {
        return reportLevelFailure("it holds an empty or invalid value");
    } catch (const QXL::Exception&) {
        return reportLevelFailure("it cannot be opened");
    }
}

} // namespace

int main(int argc, char** argv) {
    // The foundation asks nothing of the platform: the program hands it the
    // clock its timers read and the way to ask about a broken invariant.
    setTimerClock(&timeGetTime);
    setAssertionHandler(&askAboutAssertion);
    std::string error;
    if (!loadOptions(argc, argv, g_options, error)) {
        std::fprintf(stderr, "zeb: %s (try --help)\n", error.c_str());
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
    if (g_options.log)
        messageLog::keepMessageLog(messageLogPath());
    return run();
}
