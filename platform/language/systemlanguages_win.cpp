#include "platform/language/languagechoice.h"

#include "platform/system/widetext.h"

#include <windows.h>

// The user's interface languages, most wanted first ("de-DE"), then the one
// the interface shows when the list cannot be had.
std::vector<std::string> systemLanguages() {
    std::vector<std::string> languages;
    ULONG count = 0;
    ULONG size = 0;
    if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) && size > 0 && size < 4096) {
        std::wstring names(size, L'\0');
        if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &size)) {
            for (size_t start = 0; start < names.size() && names[start] != L'\0';) {
                const size_t end = names.find(L'\0', start);
                languages.push_back(fromWide(names.substr(start, end - start)));
                start = end + 1;
            }
        }
    }
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    if (languages.empty() && LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name,
                                              LOCALE_NAME_MAX_LENGTH, 0) > 0)
        languages.push_back(fromWide(name));
    return languages;
}
