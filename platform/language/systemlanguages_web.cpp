#include "platform/language/languagechoice.h"

#include <emscripten/emscripten.h>

#include <cstdlib>

// A page speaks the browser's languages (navigator.languages, most wanted
// first: "de-DE", "pt-BR"), sent over as one list.
std::vector<std::string> systemLanguages() {
    // clang-format off
    char* list = reinterpret_cast<char*>(EM_ASM_INT({
        var wanted = navigator.languages && navigator.languages.length ? navigator.languages
                                                                         : [navigator.language];
        return stringToNewUTF8(wanted.filter(Boolean).join(':'));
    }));
    // clang-format on
    if (list == nullptr)
        return {};
    std::vector<std::string> languages = splitLanguageList(list);
    std::free(list);
    return languages;
}
