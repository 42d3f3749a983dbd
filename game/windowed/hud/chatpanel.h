#pragma once

#include "core/maths/colour4.h"
#include "game/rules/extensions.h"
#include "game/windowed/hud/hudtext.h"
#include "platform/language/translation.h"

#include <deque>
#include <string>

class ZEBGameStateCollector;

// The chat lines the window shows over the play area: each for
// CHAT_SHOW_SECONDS, the last CHAT_SHOWN_LINES at most, as "NAME: text" in
// the colour of the sender's ship (the host's own lines in grey); a watcher's
// as "NAME (watching): text" in white.
constexpr float CHAT_SHOW_SECONDS = 8.0f;
constexpr int CHAT_SHOWN_LINES = 5;
constexpr const char* CHAT_WATCHER_MARK = marked(" (watching)");

struct shownChatLine {
    std::string text; // "NAME: text", or "NAME (watching): text"
    colour4 colour;
    float age = 0.0f; // seconds shown so far
};

class ZEBChatPanel {
  public:
    // Takes the lines the collector received; the score table gives the colours.
    void takeFrom(ZEBGameStateCollector& collector);
    void add(const ChatLine& line, const colour4& colour);
    void step(float seconds); // ages the lines; those shown long enough go
    void clear() { m_lines.clear(); }
    const std::deque<shownChatLine>& getLines() const { return m_lines; } // oldest first

  private:
    std::deque<shownChatLine> m_lines;
};

// The lines shown, newest lowest, above the line being typed at entryTop
// (typing: its text; null while nobody types).
void drawChatPanel(const hudText& hud, const ZEBChatPanel& chat, float entryTop, const std::string* typing);
