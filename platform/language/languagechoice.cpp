#include "platform/language/languagechoice.h"

#include "platform/system/executablepath.h"

#include <cctype>

namespace {

bool isEnglish(std::string_view language) {
    return language == "en" || language == "C" || language == "POSIX";
}

bool isLetters(std::string_view text, size_t least, size_t most) {
    if (text.size() < least || text.size() > most)
        return false;
    for (const char c : text) {
        if (std::isalpha(static_cast<unsigned char>(c)) == 0)
            return false;
    }
    return true;
}

} // namespace

bool isLanguageCode(std::string_view code) {
    const std::string_view plain = code.substr(0, code.find_first_of(".@"));
    return isEnglish(plain) || isEnglish(plain.substr(0, plain.find_first_of("_-"))) ||
           !languageFolders(code).empty();
}

std::vector<std::string> languageFolders(std::string_view code) {
    code = code.substr(0, code.find_first_of(".@")); // the encoding and modifier name no catalogue
    const size_t split = code.find_first_of("_-");
    const std::string_view language = code.substr(0, split);
    const std::string_view region =
        split == std::string_view::npos ? std::string_view() : code.substr(split + 1);
    if (isEnglish(code) || isEnglish(language) || !isLetters(language, 2, 3) ||
        (!region.empty() && !isLetters(region, 2, 3)))
        return {};
    std::string base;
    for (const char c : language)
        base.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    std::vector<std::string> folders;
    if (!region.empty()) {
        std::string full = base + "_";
        for (const char c : region)
            full.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        folders.push_back(full);
    }
    folders.push_back(base);
    return folders;
}

std::string loadLanguage(const std::vector<std::string>& languages, const std::vector<std::string>& folders,
                         textCatalogue& catalogue) {
    for (const std::string& language : languages) {
        const std::string_view code = std::string_view(language).substr(0, language.find_first_of(".@_-"));
        if (isEnglish(code) || isEnglish(language))
            break;
        for (const std::string& name : languageFolders(language)) {
            for (const std::string& folder : folders) {
                if (readCatalogueFile(folder + "/" + name + "/LC_MESSAGES/" + CATALOGUE_FILE, catalogue))
                    return name;
            }
        }
    }
    catalogue.read({});
    return {};
}

std::vector<std::string> splitLanguageList(std::string_view list) {
    std::vector<std::string> languages;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string_view::npos)
            end = list.size();
        if (end > start)
            languages.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return languages;
}

std::vector<std::string> catalogueFolders() {
    std::vector<std::string> folders;
    const std::string program = getExecutableDirectory();
    if (!program.empty()) {
        folders.push_back(program + "/locale");
        folders.push_back(program + "/../share/locale");
    } else {
        folders.push_back("locale"); // a program that cannot name its folder (a page) looks where it runs
    }
#ifdef ZEB_INSTALL_LOCALE_DIR
    folders.push_back(ZEB_INSTALL_LOCALE_DIR);
#endif
    return folders;
}

const std::string& languageInUse::use(const std::string& code) {
    m_language = loadLanguage(code.empty() ? systemLanguages() : std::vector<std::string>{code},
                              catalogueFolders(), m_catalogue);
    return m_language;
}

std::string languageInUse::nextShipped() const {
    bool passed = m_language.empty();
    for (const char* language : SHIPPED_LANGUAGES) {
        if (passed)
            return language;
        passed = m_language == language;
    }
    return "en";
}
