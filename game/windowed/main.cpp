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
#include "game/windowed/usersettings.h"
#include "game/windowed/windowtexts.h"
#include "networklib/messagelog.h"
#include "platform/language/languagechoice.h"
#include "platform/language/translation.h"
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

// --lang, else the settings file's language; empty: the system's.
std::string chosenLanguage(const gameOptions& options) {
    if (!options.language.empty() || options.server || options.bot || options.status)
        return options.language;
    userSettings settings;
    std::string error; // a broken file is reported once the window opens
    const std::string path = settingsFilePath();
    return !path.empty() && loadSettings(path, settings, error) ? settings.language : std::string();
}

int run(const gameOptions& options, languageInUse& language) {
    return runReportingLevelFailures(
        [&options, &language] {
            if (options.status)
                return runStatusQuery(options);
            if (options.bot)
                return runBot(options);
            if (!options.replay.empty())
                return runReplay(options);
            return options.server ? runDedicatedServer(options) : runWindowedGame(options, language);
        },
        options.server ? nullptr : &showLevelFailure);
}

} // namespace

int main(int argc, char** argv) {
    // The foundation asks nothing of the platform: the program hands it the
    // clock its timers read and the way to ask about a broken invariant.
    setTimerClock(&timeGetTime);
    setAssertionHandler(&askAboutAssertion);
    // The system's language speaks of a wrong command line; --lang and the
    // setting are known once it is read.
    languageInUse language;
    language.use({});
    gameOptions options;
    std::string error;
    if (!loadOptions(argc, argv, options, error)) {
        // The error may quote a file's or an argument's bytes.
        std::fprintf(stderr, tr("zeb: %s (try --help)\n"), makeEscapedText(error).c_str());
        return 2;
    }
    const std::string chosen = chosenLanguage(options);
    if (!chosen.empty())
        language.use(chosen);
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
    return run(options, language);
}
