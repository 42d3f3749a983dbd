#include "platform/system/consolelines.h"

void consoleLines::addBytes(const char* bytes, size_t count, std::vector<std::string>& lines) {
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] == '\n') {
            if (!m_partial.empty() && m_partial.back() == '\r')
                m_partial.pop_back();
            lines.push_back(m_partial);
            m_partial.clear();
        } else if (m_partial.size() < CONSOLE_LINE_MAX_BYTES) {
            m_partial.push_back(bytes[i]);
        }
    }
}
