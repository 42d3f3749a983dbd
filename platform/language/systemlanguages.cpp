#include "platform/language/languagechoice.h"

#include <cstdlib>

std::vector<std::string> systemLanguages() {
    std::vector<std::string> languages;
    const char* list = std::getenv("LANGUAGE");
    if (list != nullptr) {
        const std::string text = list;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(':', start);
            if (end == std::string::npos)
                end = text.size();
            if (end > start)
                languages.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            languages.emplace_back(value);
            break;
        }
    }
    return languages;
}
