#include "core/displaytext.h"

#include <gtest/gtest.h>

#include <vector>

#include <string>

namespace {

struct displayCase {
    std::string received;
    std::string shown;
};

class DisplayText : public ::testing::TestWithParam<displayCase> {};

TEST_P(DisplayText, IsCutToValidUtf8WithControlsReplaced) {
    const displayCase& c = GetParam();
    EXPECT_EQ(makeDisplayText(c.received), c.shown);
    EXPECT_EQ(makeDisplayText(c.received.data(), c.received.size()), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DisplayText,
    ::testing::Values(displayCase{"Player", "Player"}, displayCase{"", ""},
                      displayCase{"J\xC3\xBCrgen \xE6\x97\xA5\xF0\x9F\x9A\x80",
                                  "J\xC3\xBCrgen \xE6\x97\xA5\xF0\x9F\x9A\x80"},
                      // Control characters: C0, DEL and C1 (U+0085, U+009B).
                      displayCase{"a\nb\rc\td\x1B[31m", "a?b?c?d?[31m"}, displayCase{"x\x7Fy", "x?y"},
                      displayCase{"x\xC2\x85y\xC2\x9Bz", "x?y?z"},
                      // Bidirectional controls: RLO, LRE, PDF, RLI, PDI, RLM, ALM.
                      displayCase{"evil\xE2\x80\xAEgnp.exe", "evil?gnp.exe"},
                      displayCase{"\xE2\x80\xAA\xE2\x80\xAC\xE2\x81\xA7\xE2\x81\xA9\xE2\x80\x8F\xD8\x9C",
                                  "??????"},
                      // Cut at the first byte that is not valid UTF-8.
                      displayCase{"ab\xFFzz", "ab"}, displayCase{"ab\xC3", "ab"},
                      displayCase{"ab\xE6\x97", "ab"}, displayCase{"a\xC0\xAF", "a"}, // overlong '/'
                      displayCase{"a\xE0\x80\xAF", "a"},                              // overlong, three bytes
                      displayCase{"a\xED\xA0\x80", "a"},                              // a surrogate
                      displayCase{"a\xF4\x90\x80\x80", "a"},                          // past U+10FFFF
                      displayCase{"a\x80", "a"},                                      // a lone continuation
                      displayCase{"a\xC3\x28", "a"},                // a lead without its continuation
                      displayCase{std::string("a\0b", 3), "a?b"})); // NUL is a control like the others

TEST(DisplayTextNull, NothingGivesNothing) {
    EXPECT_EQ(makeDisplayText(nullptr, 5), "");
}

// Each character in turn; a byte that starts no valid sequence is one U+FFFD.
TEST(DisplayTextCharacters, AreReadOneByOne) {
    const std::string text = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xFF\xC0\xAF\xE4\xB8";
    const std::vector<uint32_t> expected = {'a',    0xE9,   0x4E2D, 0x1F600, 0xFFFD,
                                            0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD};
    std::vector<uint32_t> read;
    for (size_t at = 0; at < text.size();)
        read.push_back(nextCharacter(text, at));
    EXPECT_EQ(read, expected);
}

} // namespace
