#include "game/server/zebchatlimit.h"

#include <algorithm>

ZEBChatLimit::ZEBChatLimit(int lines, double window)
    : m_lines(std::clamp(lines, 1, CHAT_LIMIT_MAX_LINES)), m_window(window), m_warned(-window) {}

bool ZEBChatLimit::hasRoom(double now) const {
    return m_count < m_lines || !(now - m_accepted[0] < m_window);
}

void ZEBChatLimit::count(double now) {
    if (m_count == m_lines) {
        std::copy(m_accepted.begin() + 1, m_accepted.begin() + m_count, m_accepted.begin());
        --m_count;
    }
    m_accepted[m_count++] = now;
}

bool ZEBChatLimit::isIdle(double now) const {
    return m_count == 0 || !(now - m_accepted[m_count - 1] < m_window);
}

bool ZEBChatLimit::shouldWarn(double now) {
    if (now - m_warned < m_window)
        return false;
    m_warned = now;
    return true;
}
