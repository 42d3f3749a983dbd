#include "platform/language/languagechoice.h"

#include <cstdlib>

std::vector<std::string> systemLanguages() {
    const char* list = std::getenv("LANGUAGE");
    std::vector<std::string> languages = splitLanguageList(list != nullptr ? list : "");
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            languages.emplace_back(value);
            break;
        }
    }
    return languages;
}
