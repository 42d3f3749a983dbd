#include "networklib/messagelog.h"

messageLog& messageLog::shared() {
    static messageLog s_log;
    return s_log;
}

messageLog::messageLog() : m_file(std::fopen(MESSAGE_LOG_FILE_NAME, "w")) {
    if (m_file == nullptr)
        return;
    std::fputs("Time,Message Type,Data Size\n", m_file);
    std::fflush(m_file);
}

messageLog::~messageLog() {
    if (m_file != nullptr)
        std::fclose(m_file);
}

void messageLog::write(double seconds, int type, int dataSize) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_file == nullptr)
        return;
    std::fprintf(m_file, "%f,%d,%d\n", seconds, type, dataSize);
    // Flushed per row so the log is whole even if the process is killed.
    std::fflush(m_file);
}
