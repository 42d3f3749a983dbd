#include "game/windowed/hud/scoretable.h"

#include "drawing/font/font.h"
#include "game/client/zebgamestatecollector.h"
#include "game/windowed/windowtexts.h"
#include "platform/language/translation.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int SCORE_TEXT_SIZE = 256;
constexpr size_t WATCHERS_LINE_BYTES = 60; // names a line holds before the next begins
// The own row of the score table starts with this marker.
constexpr const char* OWN_ROW_MARKER = "\xC2\xBB ";                  // "» "
constexpr const char* LEADER_MARKER = marked("\xE2\x97\x84 leader"); // "◄ leader", after two spaces

// The score table's row of the ship followed; -1 for none.
int followedRow(const ZEBGameStateCollector& collector, int followed) {
    for (int row = 0; followed >= 0 && row < collector.getStatsCount(); ++row) {
        if (collector.getStatsID(row) == followed)
            return row;
    }
    return -1;
}

// The names of those who watch, a few to a line, under the score table; and
// to a copy that watches, what its view shows.
void drawWatchers(const hudText& hud, const ZEBGameStateCollector& collector, bool watching, int followed,
                  float top) {
    std::vector<std::string> lines;
    for (const std::string& name : collector.getWatchers()) {
        if (lines.empty() || lines.back().size() + name.size() > WATCHERS_LINE_BYTES)
            lines.push_back(lines.empty() ? tr(WATCHERS_TITLE) : "    ");
        else
            lines.back() += ", ";
        lines.back() += name;
    }
    if (watching) {
        char text[SCORE_TEXT_SIZE];
        const int row = followedRow(collector, followed);
        if (row < 0)
            std::snprintf(text, sizeof(text), "%s", tr(WATCH_WHOLE_FIELD_TEXT));
        else
            std::snprintf(text, sizeof(text), tr(WATCH_FOLLOWING_TEXT), collector.getStatsName(row));
        lines.emplace_back(text);
    }
    for (const std::string& line : lines) {
        if (!(top > HUD_BOTTOM_EDGE))
            return;
        drawGreyLine(hud, top, line);
        top -= hud.lineSpacing;
    }
}

} // namespace

void drawScoreTable(const hudText& hud, const ZEBGameStateCollector& collector, bool watching, int followed) {
    const std::vector<int> order = collector.getStatsOrder();
    // A leader only when one player is ahead of all others.
    const bool leader =
        order.size() > 1 && collector.getStatsScore(order[0]) > collector.getStatsScore(order[1]);
    char text[SCORE_TEXT_SIZE];
    for (size_t line = 0; line < order.size(); ++line) {
        const int p = order[line];
        const float top = HUD_TOP_LINE - static_cast<float>(line) * hud.lineSpacing;
        // A row below the window has no pixels to print into, and the font
        // reports every print that draws nothing.
        if (!(top > HUD_BOTTOM_EDGE))
            break;
        std::snprintf(text, sizeof(text), "%s%s ( %d )%s%s\n",
                      collector.isOwnStatsRow(p) ? OWN_ROW_MARKER : "", collector.getStatsName(p),
                      collector.getStatsScore(p), leader && line == 0 ? "  " : "",
                      leader && line == 0 ? tr(LEADER_MARKER) : "");
        const colour4& colour = collector.getStatsColour(p);
        hud.text.setTop(top);
        hud.text.setColour(colour.r, colour.g, colour.b, colour.a);
        hud.text.print(text);
    }
    drawWatchers(hud, collector, watching, followed,
                 HUD_TOP_LINE - static_cast<float>(order.size()) * hud.lineSpacing);
}
