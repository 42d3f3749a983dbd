#include "core/displaytext.h"
#include "core/timer.h"
#include "game/common/options.h"
#include "game/windowed/windowtexts.h"
#include "platform/language/languagechoice.h"
#include "platform/language/translation.h"
#include "platform/system/assertionbox.h"
#include "platform/system/clock.h"

#include <cstdio>
#include <string>

// The program of a web page: its arguments come from the page's address
// (index.html turns ?name=NAME&watch=1 into --connect HOST --name NAME
// --spectate). It joins the host that served the page and does nothing else.

namespace {

// The page's own texts (why its game ended), in the catalogues for the page to
// show in the game's language through zebTranslate.
[[maybe_unused]] constexpr const char* PAGE_TEXTS[] = {
    marked("The host ended the game."),
    marked("The game is full."),
    marked("The host dropped this page before it joined."),
    marked("The host stopped answering."),
    marked("The game at %s could not be reached."),
    marked("The connection to the game was lost."),
    marked("The game window was closed."),
    marked("ZEB could not start: %s"),
    marked("Join again"),
};

} // namespace

// Exported to the page by the link (EXPORTED_FUNCTIONS).
extern "C" const char* zebTranslate(const char* text) {
    return tr(text);
}

int main(int argc, char** argv) {
    setTimerClock(&win::timeGetTime);
    setAssertionHandler(&askAboutAssertion);
    // The browser's languages, unless the page's address names one (?lang=de).
    languageInUse language;
    language.use({});
    gameOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zeb: %s\n", makeEscapedText(error).c_str());
        return 2;
    }
    if (!options.language.empty())
        language.use(options.language);
    // A page keeps no files beyond its settings: no recordings.
    options.record = false;
    // Never returns: the browser's frames run the game (see ZebWebDeps.cmake
    // for why no level failure is caught here).
    return runWindowedGame(options, language);
}
