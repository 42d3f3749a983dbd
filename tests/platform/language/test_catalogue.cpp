#include "platform/language/languagechoice.h"
#include "platform/language/textcatalogue.h"
#include "platform/language/translation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string sampleBytes(const char* folder) {
    std::ifstream file(std::string(folder) + "/ru/LC_MESSAGES/zeb.mo", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void put(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}

// msgfmt's catalogue in either byte order: texts, plural forms by Russian's
// rule, and an empty translation counted as none.
TEST(TextCatalogue, ReadsWhatMsgfmtWrites) {
    for (const char* folder : {ZEB_SAMPLE_LITTLE, ZEB_SAMPLE_BIG}) {
        textCatalogue catalogue;
        ASSERT_TRUE(catalogue.read(sampleBytes(folder))) << folder;
        EXPECT_STREQ(catalogue.find("Game Unavailable"), "Игра недоступна");
        EXPECT_EQ(catalogue.find("Not yet translated"), nullptr);
        EXPECT_EQ(catalogue.find("Not in the catalogue"), nullptr);
        EXPECT_STREQ(catalogue.findPlural("%d player", 1), "%d игрок");
        EXPECT_STREQ(catalogue.findPlural("%d player", 3), "%d игрока");
        EXPECT_STREQ(catalogue.findPlural("%d player", 25), "%d игроков");
    }
}

// Damage anywhere is refused without reading outside the bytes (the sanitizer
// build checks that), and leaves the catalogue empty.
TEST(TextCatalogue, RefusesDamagedCatalogues) {
    const std::string good = sampleBytes(ZEB_SAMPLE_LITTLE);
    std::vector<std::string> damaged;
    for (size_t length = 0; length < good.size(); length += 7)
        damaged.push_back(good.substr(0, length));
    damaged.push_back(std::string(good).replace(0, 1, "\x01")); // magic
    for (const size_t field : {8u, 12u, 16u}) {                 // count and both tables
        for (const uint32_t value : {0xFFFFFFF0u, static_cast<uint32_t>(good.size())}) {
            damaged.push_back(good);
            put(damaged.back(), field, value);
        }
    }
    const uint32_t firstEntry =
        static_cast<uint32_t>(static_cast<unsigned char>(good[12])) | // first original's
        static_cast<uint32_t>(static_cast<unsigned char>(good[13])) << 8;
    damaged.push_back(good);
    put(damaged.back(), firstEntry, 0xFFFFFFFFu); // its length runs past the end
    damaged.push_back(good);
    put(damaged.back(), firstEntry + 4, static_cast<uint32_t>(good.size())); // its text past the end
    for (const std::string& bytes : damaged) {
        textCatalogue catalogue;
        ASSERT_TRUE(catalogue.read(good));
        EXPECT_FALSE(catalogue.read(bytes)) << bytes.size();
        EXPECT_TRUE(catalogue.isEmpty());
        EXPECT_EQ(catalogue.find("Game Unavailable"), nullptr);
    }
}

// The catalogue of the first language that has one is used while its scope
// lasts; English is the text itself, with English's plural rule.
TEST(Translation, FollowsTheLanguageInUse) {
    textCatalogue catalogue;
    const std::vector<std::string> folders = {"/nonexistent", ZEB_SAMPLE_BIG};
    EXPECT_EQ(loadLanguage({"fr_FR.UTF-8", "ru_RU.UTF-8"}, folders, catalogue), "ru");
    EXPECT_EQ(loadLanguage({"en_GB", "ru"}, folders, catalogue), "");
    EXPECT_TRUE(catalogue.isEmpty());
    ASSERT_EQ(loadLanguage({"ru"}, folders, catalogue), "ru");
    {
        const translationScope russian(catalogue);
        EXPECT_STREQ(tr("Game Unavailable"), "Игра недоступна");
        EXPECT_STREQ(trn("%d player", "%d players", 2), "%d игрока");
        EXPECT_STREQ(tr("Not yet translated"), "Not yet translated");
    }
    EXPECT_STREQ(tr("Game Unavailable"), "Game Unavailable");
    EXPECT_STREQ(trn("%d player", "%d players", 1), "%d player");
    EXPECT_STREQ(trn("%d player", "%d players", 0), "%d players");
}

} // namespace
