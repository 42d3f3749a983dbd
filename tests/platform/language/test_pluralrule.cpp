#include "platform/language/pluralrule.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* RUSSIAN = "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && "
                                "(n%100<10 || n%100>=20) ? 1 : 2);";

// Each language's rule as gettext's documentation gives it, and the form of
// a few counts.
TEST(PluralRule, PicksTheFormOfEachLanguage) {
    const struct {
        const char* header;
        unsigned long count;
        unsigned form;
    } cases[] = {
        {"nplurals=2; plural=(n != 1);", 1, 0},
        {"nplurals=2; plural=(n != 1);", 0, 1},
        {"nplurals=2; plural=(n > 1);", 0, 0},
        {"nplurals=2; plural=(n > 1);", 2, 1},
        {"nplurals=1; plural=0;", 5, 0},
        {RUSSIAN, 1, 0},
        {RUSSIAN, 11, 2},
        {RUSSIAN, 21, 0},
        {RUSSIAN, 3, 1},
        {RUSSIAN, 14, 2},
        {RUSSIAN, 104, 1},
        {"nplurals=3; plural=n==1 ? 0 : n>=2 && n<=4 ? 1 : 2;", 4, 1},
        {"nplurals=2; plural=n % 0;", 7, 0},         // % by zero gives 0
        {"nplurals=2; plural=n<=1 ? 0 : 1 ;", 1, 0}, // <= is not < and =
        {"nplurals=2; plural=((((n>=2)))) ;", 2, 1},
        {"nplurals=3; plural=n==1 ? 0 : n==2 ? 1 : 5;", 3, 3}, // past the forms: none
    };
    for (const auto& c : cases) {
        pluralRule rule;
        ASSERT_TRUE(rule.parse(c.header)) << c.header;
        EXPECT_EQ(rule.pickForm(c.count), c.form) << c.header << " n=" << c.count;
    }
}

// A header the evaluator does not know leaves the rule as it was (English).
TEST(PluralRule, RefusesWhatItDoesNotKnow) {
    const std::string deep =
        "nplurals=2; plural=" + std::string(200, '(') + "n" + std::string(200, ')') + ";";
    const std::string longText = "nplurals=2; plural=n" + std::string(600, ' ') + ";";
    const std::string refused[] = {
        "plural=(n != 1);",
        "nplurals=2;",
        "nplurals=0; plural=0;",
        "nplurals=9; plural=0;",
        "nplurals=x; plural=0;",
        "nplurals=2; plural=(n != 1;",
        "nplurals=2; plural=n != ;",
        "nplurals=2; plural=n ? 1;",
        "nplurals=2; plural=n * 2;",
        "nplurals=2; plural=m;",
        "nplurals=2; plural=99999999999999;",
        deep,
        longText,
        "nplurals=2; plural=n 1;",
    };
    for (const std::string& header : refused) {
        pluralRule rule;
        EXPECT_FALSE(rule.parse(header)) << header;
        EXPECT_EQ(rule.getFormCount(), 2u);
        EXPECT_EQ(rule.pickForm(1), 0u);
        EXPECT_EQ(rule.pickForm(2), 1u);
    }
}

} // namespace
