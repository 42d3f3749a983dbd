#include "game/windowed/hud/chatpanel.h"

#include "drawing/font/font.h"
#include "game/client/zebgamestatecollector.h"
#include "platform/language/translation.h"

#include <vector>

namespace {

constexpr const char* CHAT_PROMPT = marked("Say: ");
constexpr const char* CHAT_CURSOR = "_";

const colour4 HOST_LINE_COLOUR(0.75f, 0.75f, 0.75f, 1.0f);
// Watchers, and players the score table does not hold yet: no ship's colour
// and never the host's grey, so that nobody's line passes for the host's.
const colour4 OTHER_LINE_COLOUR(1.0f, 1.0f, 1.0f, 1.0f);

colour4 senderColour(const ZEBGameStateCollector& collector, int32_t senderID) {
    if (senderID == CHAT_FROM_HOST)
        return HOST_LINE_COLOUR;
    for (const PlayerStats& row : collector.getStats()) {
        if (row.uniqueID == senderID)
            return row.colour;
    }
    return OTHER_LINE_COLOUR;
}

} // namespace

void ZEBChatPanel::takeFrom(ZEBGameStateCollector& collector) {
    std::vector<ChatLine> lines;
    collector.takeChatLines(lines);
    for (const ChatLine& line : lines)
        add(line, senderColour(collector, line.senderID));
}

void ZEBChatPanel::add(const ChatLine& line, const colour4& colour) {
    if (static_cast<int>(m_lines.size()) >= CHAT_SHOWN_LINES)
        m_lines.pop_front();
    const char* mark = line.senderID == CHAT_FROM_WATCHER ? tr(CHAT_WATCHER_MARK) : "";
    m_lines.push_back({std::string(line.name) + mark + ": " + line.text, colour, 0.0f});
}

void ZEBChatPanel::step(float seconds) {
    for (shownChatLine& line : m_lines)
        line.age += seconds;
    while (!m_lines.empty() && !(m_lines.front().age < CHAT_SHOW_SECONDS))
        m_lines.pop_front();
}

void drawChatPanel(const hudText& hud, const ZEBChatPanel& chat, float entryTop, const std::string* typing) {
    const std::deque<shownChatLine>& lines = chat.getLines();
    float top = entryTop + hud.lineSpacing * static_cast<float>(lines.size());
    for (const shownChatLine& line : lines) {
        hud.text.setTop(top);
        hud.text.setColour(line.colour.r, line.colour.g, line.colour.b, line.colour.a);
        hud.text.print(line.text.c_str());
        top -= hud.lineSpacing;
    }
    if (typing != nullptr) {
        hud.text.setTop(entryTop);
        hud.text.setColour(1.0f, 1.0f, 1.0f, 1.0f);
        hud.text.print((tr(CHAT_PROMPT) + *typing + CHAT_CURSOR).c_str());
    }
}
