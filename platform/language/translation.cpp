#include "platform/language/translation.h"

#include "platform/language/textcatalogue.h"

namespace {

// The catalogue of the innermost translationScope; nullptr: English.
const textCatalogue* g_catalogue = nullptr;

} // namespace

const char* tr(const char* text) {
    const char* translated = g_catalogue != nullptr ? g_catalogue->find(text) : nullptr;
    return translated != nullptr ? translated : text;
}

const char* trn(const char* singular, const char* plural, unsigned long count) {
    const char* translated = g_catalogue != nullptr ? g_catalogue->findPlural(singular, count) : nullptr;
    if (translated != nullptr)
        return translated;
    return count == 1 ? singular : plural;
}

translationScope::translationScope(const textCatalogue& catalogue) : m_previous(g_catalogue) {
    g_catalogue = &catalogue;
}

translationScope::~translationScope() {
    g_catalogue = m_previous;
}
