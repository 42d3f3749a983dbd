#pragma once

#include <array>

// How often one player may speak: CHAT_LINES_PER_WINDOW lines in any
// CHAT_WINDOW seconds. A line over that is dropped; its sender is told, but
// no more than once a window, so a flood never turns into a flood of notices.
constexpr int CHAT_LINES_PER_WINDOW = 3;
constexpr double CHAT_WINDOW = 5.0; // seconds
// One source address, all its connections together, those gone included: two
// copies on one machine may both speak at their own pace, while a copy that
// joins, speaks and leaves again and again gains nothing by it.
constexpr int CHAT_ADDRESS_LINES_PER_WINDOW = 2 * CHAT_LINES_PER_WINDOW;
// The whole game: what every sender together may put on the players' screens.
constexpr int CHAT_GAME_LINES_PER_SECOND = 4;
constexpr double CHAT_GAME_WINDOW = 1.0; // seconds
constexpr int CHAT_LIMIT_MAX_LINES = 8;
static_assert(CHAT_ADDRESS_LINES_PER_WINDOW <= CHAT_LIMIT_MAX_LINES &&
                  CHAT_GAME_LINES_PER_SECOND <= CHAT_LIMIT_MAX_LINES,
              "a limit keeps the times of its lines in a fixed array");

class ZEBChatLimit {
  public:
    explicit ZEBChatLimit(int lines = CHAT_LINES_PER_WINDOW, double window = CHAT_WINDOW);
    // now: the game's clock in seconds.
    bool hasRoom(double now) const; // a line now would be allowed
    void count(double now);         // a line went out now
    bool isIdle(double now) const;  // nothing counted within the window: forgetting it changes nothing
    // After a refused line: true when its sender should hear of it now.
    bool shouldWarn(double now);

  private:
    // Times of the last accepted lines, oldest first.
    std::array<double, CHAT_LIMIT_MAX_LINES> m_accepted = {};
    int m_lines;
    double m_window;
    int m_count = 0; // accepted lines so far, up to m_lines
    double m_warned;
};
