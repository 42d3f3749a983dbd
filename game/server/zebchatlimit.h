#pragma once

// How often one player may speak: CHAT_LINES_PER_WINDOW lines in any
// CHAT_WINDOW seconds. A line over that is dropped; its sender is told, but
// no more than once a window, so a flood never turns into a flood of notices.
constexpr int CHAT_LINES_PER_WINDOW = 3;
constexpr double CHAT_WINDOW = 5.0; // seconds

class ZEBChatLimit {
  public:
    // now: the game's clock in seconds. True: the line goes out and is counted.
    bool allow(double now);
    // After a refused line: true when its sender should hear of it now.
    bool shouldWarn(double now);

  private:
    double m_accepted[CHAT_LINES_PER_WINDOW] = {}; // times of the last accepted lines, oldest first
    int m_count = 0;                               // accepted lines so far, up to the window's
    double m_warned = -CHAT_WINDOW;
};
