#include "game/server/zebchatlimit.h"

bool ZEBChatLimit::allow(double now) {
    if (m_count == CHAT_LINES_PER_WINDOW && now - m_accepted[0] < CHAT_WINDOW)
        return false;
    if (m_count == CHAT_LINES_PER_WINDOW) {
        for (int i = 1; i < CHAT_LINES_PER_WINDOW; ++i)
            m_accepted[i - 1] = m_accepted[i];
        --m_count;
    }
    m_accepted[m_count++] = now;
    return true;
}

bool ZEBChatLimit::shouldWarn(double now) {
    if (now - m_warned < CHAT_WINDOW)
        return false;
    m_warned = now;
    return true;
}
