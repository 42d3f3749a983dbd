#include "platform/language/languagechoice.h"

#include <gtest/gtest.h>

namespace {

// Locale names and language tags map to catalogue folders; English and
// anything that is not a plain tag map to none, so nothing of them reaches a path.
TEST(LanguageChoice, MapsCodesToCatalogueFolders) {
    const struct {
        const char* code;
        std::vector<std::string> folders;
    } cases[] = {
        {"de", {"de"}},
        {"de_DE.UTF-8", {"de_DE", "de"}},
        {"pt-br", {"pt_BR", "pt"}},
        {"zh_CN.GB2312@x", {"zh_CN", "zh"}},
        {"ru_RU@euro", {"ru_RU", "ru"}},
        {"en_US.UTF-8", {}},
        {"C", {}},
        {"POSIX", {}},
        {"C.UTF-8", {}},
        {"", {}},
        {"../../etc", {}},
        {"de/../x", {}},
        {"d", {}},
        {"de_DE_x", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(languageFolders(c.code), c.folders) << c.code;
}

} // namespace
