// Every shipped language, and a pseudo-language (accented, 40 % longer),
// fits the window: the menus at the smallest window, the About and name boxes,
// and the lines of the unavailable screen and the score table in the designed
// play area at the HUD's size, with a glyph for every character (no boxes).

#include "core/displaytext.h"
#include "game/windowed/windowtexts.h"
#include "networklib/networkclient.h"
#include "platform/language/languagechoice.h"
#include "platform/language/textformat.h"
#include "platform/system/aboutbox.h"
#include "platform/system/labelface.h"
#include "platform/system/menufont.h"
#include "platform/system/menustrip.h"
#include "platform/system/namebox.h"
#include "platform/text/textfont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int PLAY_AREA = 700;       // the designed play area, where the HUD's size is set
constexpr int SMALLEST_WINDOW = 200; // the settings' smallest window width

const char* const FURNITURE[] = {"&File",           "&Name ...",  "&Watch",     "&Language",
                                 "E&xit",           "&Help",      "&About ...", ABOUT_CAPTION,
                                 ABOUT_SECOND_LINE, NAME_CAPTION, NAME_PROMPT,  BOX_OK_BUTTON};

// The lines of the unavailable screen and of the score table, as shown.
std::vector<std::string> hudLines() {
    std::vector<std::string> lines = {tr(GAME_UNAVAILABLE_TEXT),
                                      tr(SOUND_ENABLED_TEXT),
                                      tr(SOUND_DISABLED_TEXT),
                                      tr(SOUND_MISSING_TEXT),
                                      tr(SEARCHING_TEXT),
                                      tr(HOSTING_TEXT),
                                      tr(JOINING_TEXT),
                                      tr(CONNECTION_LOST_TEXT),
                                      tr(NO_GAME_TO_WATCH_TEXT),
                                      tr(CANNOT_WATCH_TEXT),
                                      tr(WATCH_WHOLE_FIELD_TEXT),
                                      searchCountdownText(12.0f),
                                      formatText(tr(WATCH_FOLLOWING_TEXT), "Ann"),
                                      formatText(tr("shot by %s"), "Ann"),
                                      std::string("\xC2\xBB Ann ( 125 )  ") + tr("\xE2\x97\x84 leader"),
                                      tr(WATCHERS_TITLE) + std::string("Ann, Bob")};
    for (const networkEnd end : {networkEnd::hostStopped, networkEnd::connectionLost, networkEnd::gameFull,
                                 networkEnd::none, networkEnd::refused, networkEnd::badAddress})
        lines.push_back(describeUnavailable(end));
    return lines;
}

// Vowels accented and the text 40 % longer; printf directives and menu
// marks stay as they are.
std::string pseudo(const std::string& text) {
    const std::pair<char, const char*> accents[] = {{'a', "á"}, {'e', "é"}, {'i', "í"}, {'o', "ö"},
                                                    {'u', "ü"}, {'A', "Å"}, {'E', "É"}, {'O', "Ø"}};
    std::string out;
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        characters += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (text[i] == '%' || text[i] == '&') {
            const size_t end = text[i] == '&' ? i + 1 : text.find_first_of("sdu", i);
            out.append(text, i, end - i + 1);
            i = end;
            continue;
        }
        const char* accented = nullptr;
        for (const auto& [plain, replacement] : accents)
            accented = text[i] == plain ? replacement : accented;
        out += accented != nullptr ? accented : std::string(1, text[i]);
    }
    return out + std::string(static_cast<size_t>(std::ceil(characters * 0.4)), '~');
}

// A compiled catalogue (little-endian .mo) of the pairs, for the pseudo-language.
std::string compiledCatalogue(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::string strings;
    std::vector<uint32_t> table; // length, offset of each original, then of each translation
    const uint32_t count = static_cast<uint32_t>(pairs.size());
    const uint32_t stringsStart = 28 + 16 * count;
    for (const bool translated : {false, true}) {
        for (const auto& [key, value] : pairs) {
            const std::string& text = translated ? value : key;
            table.push_back(static_cast<uint32_t>(text.size()));
            table.push_back(stringsStart + static_cast<uint32_t>(strings.size()));
            strings += text + '\0';
        }
    }
    std::vector<uint32_t> words = {0x950412DE, 0, count, 28, 28 + 8 * count, 0, 0};
    words.insert(words.end(), table.begin(), table.end());
    std::string bytes;
    for (const uint32_t word : words)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>(word >> (8 * i)));
    return bytes + strings;
}

void expectTheWindowHolds(const char* language) {
    SCOPED_TRACE(language);
    for (const char* text : FURNITURE) {
        const std::string shown = tr(text);
        for (size_t at = 0; at < shown.size();) {
            const uint32_t character = nextCharacter(shown, at);
            EXPECT_TRUE((character >= ' ' && character <= '~') || hasLabelGlyph(character)) << shown;
        }
    }
    const menuStrip strip;
    EXPECT_LE(strip.titleLeft(1) + strip.titleWidth(1), SMALLEST_WINDOW);
    EXPECT_LE(strip.dropDownWidth(0), SMALLEST_WINDOW);
    aboutBox about;
    about.open(PLAY_AREA, PLAY_AREA + MENU_STRIP_HEIGHT);
    nameBox name;
    name.open(PLAY_AREA, PLAY_AREA + MENU_STRIP_HEIGHT, "", 31);
    EXPECT_GE(about.frame().x, 0);
    EXPECT_GE(name.frame().x, 0);
    for (const char* line : {ABOUT_CAPTION, ABOUT_VERSION_LINE, ABOUT_SECOND_LINE})
        EXPECT_LE(menuTextWidth(tr(line)) + 2 * BOX_TEXT_LEFT, about.frame().w) << tr(line);
    EXPECT_LE(menuTextWidth(tr(NAME_PROMPT)) + 2 * BOX_TEXT_LEFT, name.frame().w) << tr(NAME_PROMPT);

    textFont hud;
    ASSERT_TRUE(hud.create("Arial", HUD_FONT_SIZE, 0));
    for (const std::string& line : hudLines()) {
        EXPECT_TRUE(hud.drawsEveryCharacter(line)) << line;
        EXPECT_LE(hud.lineWidth(line), PLAY_AREA) << line;
    }
}

TEST(Languages, EveryShippedLanguageFitsTheWindow) {
    for (const char* language : SHIPPED_LANGUAGES) {
        textCatalogue catalogue;
        ASSERT_EQ(loadLanguage({language}, {ZEB_LOCALE_DIR}, catalogue), language);
        const translationScope scope(catalogue);
        EXPECT_STRNE(tr(GAME_UNAVAILABLE_TEXT), GAME_UNAVAILABLE_TEXT);
        expectTheWindowHolds(language);
    }
}

TEST(Languages, ALongerAccentedLanguageFitsTheWindow) {
    std::vector<std::pair<std::string, std::string>> pairs;
    const auto add = [&pairs](const std::string& key) { pairs.emplace_back(key, pseudo(key)); };
    for (const char* text : FURNITURE)
        add(text);
    for (const char* text : {GAME_UNAVAILABLE_TEXT,
                             SOUND_ENABLED_TEXT,
                             SOUND_DISABLED_TEXT,
                             SOUND_MISSING_TEXT,
                             SEARCHING_TEXT,
                             HOSTING_TEXT,
                             JOINING_TEXT,
                             CONNECTION_LOST_TEXT,
                             NO_GAME_TO_WATCH_TEXT,
                             CANNOT_WATCH_TEXT,
                             WATCH_WHOLE_FIELD_TEXT,
                             WATCH_FOLLOWING_TEXT,
                             WATCHERS_TITLE,
                             "shot by %s",
                             "\xE2\x97\x84 leader",
                             "The host left the game.",
                             "Connection lost: the host stopped answering.",
                             "The game is full.",
                             "The host did not answer the join request.",
                             "The game could not be joined: %s.",
                             "connection refused",
                             "unknown host or bad address",
                             "Searching again in %d s ..."})
        add(text);
    std::sort(pairs.begin(), pairs.end()); // msgfmt's order, which readers may rely on
    textCatalogue catalogue;
    ASSERT_TRUE(catalogue.read(compiledCatalogue(pairs)));
    const translationScope scope(catalogue);
    EXPECT_STREQ(tr(GAME_UNAVAILABLE_TEXT), "Gámé Unáváíláblé~~~~~~~"); // 16 characters and 7 more
    expectTheWindowHolds("pseudo");
}

} // namespace
