#pragma once

#include "platform/language/textcatalogue.h"
#include "platform/language/translation.h"

#include <string>
#include <string_view>
#include <vector>

// Which language the program speaks and where its catalogue is. English is
// the texts themselves: "en", "C" and "POSIX" end the search without one.
constexpr const char* CATALOGUE_FILE = "zeb.mo";
// The languages the program ships, in the order the Language item steps through them after English.
constexpr const char* SHIPPED_LANGUAGES[] = {"de", "es", "fr", "pt_BR", "ru", "zh_CN"};

// English ("en", "C", "POSIX", with any region or encoding) or a plain
// language tag that may name a catalogue folder.
bool isLanguageCode(std::string_view code);

// The languages the user's system asks for, most wanted first, as given
// ("de_DE.UTF-8", "pt-BR"): LANGUAGE's list, then the first of LC_ALL,
// LC_MESSAGES and LANG; on Windows the user's interface languages.
std::vector<std::string> systemLanguages();
// A list such as LANGUAGE's ("de:fr"), empty entries skipped.
std::vector<std::string> splitLanguageList(std::string_view list);

// The catalogue folders one code may use, the closest first: "pt_BR.UTF-8" and
// "pt-BR" give pt_BR then pt. Empty for English and for a code that is not a
// plain language tag (nothing of it reaches a path).
std::vector<std::string> languageFolders(std::string_view code);

// Reads the catalogue of the first language that has one, looking in
// folder/<lang>/LC_MESSAGES for each of the folders. Returns the folder name
// taken ("de"), or empty: English, the catalogue left empty.
std::string loadLanguage(const std::vector<std::string>& languages, const std::vector<std::string>& folders,
                         textCatalogue& catalogue);

// Where catalogues are looked for: locale/ beside the program, then the
// installed share/locale.
std::vector<std::string> catalogueFolders();

// The language the program speaks, for its lifetime: owns the catalogue and
// keeps it in use. use() may change it between frames, never while another
// thread translates.
class languageInUse {
  public:
    languageInUse() = default;
    // code empty: the system's languages. Returns the language now in use,
    // empty for English.
    const std::string& use(const std::string& code);
    const std::string& getLanguage() const { return m_language; }
    std::string nextShipped() const; // after English comes the first shipped language, after the last English

  private:
    textCatalogue m_catalogue;
    std::string m_language;
    translationScope m_scope{m_catalogue};
};
