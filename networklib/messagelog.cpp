#include "networklib/messagelog.h"

#include <cstring>

namespace {

constexpr const char* HEADER = "Time,Message Type,Data Size\n";
// Room for the longest row: the time, a 32-bit type and size, and commas.
constexpr int ROW_SIZE = 96;
// The last row must always fit, so ordinary rows stop this much early.
constexpr long FULL_ROW_RESERVE = ROW_SIZE;

std::string& sharedFileName() {
    static std::string name;
    return name;
}

} // namespace

void messageLog::keepMessageLog(const std::string& fileName) {
    sharedFileName() = fileName;
}

messageLog& messageLog::shared() {
    static messageLog s_log(sharedFileName().c_str(), MESSAGE_LOG_LIMIT);
    return s_log;
}

messageLog::messageLog(const char* fileName, long limitBytes)
    : m_file(*fileName != '\0' ? std::fopen(fileName, "wb") : nullptr), m_limit(limitBytes) {
    if (m_file == nullptr)
        return;
    std::fputs(HEADER, m_file);
    std::fflush(m_file);
    m_written = static_cast<long>(std::strlen(HEADER));
}

messageLog::~messageLog() {
    if (m_file != nullptr)
        std::fclose(m_file);
}

void messageLog::write(double seconds, int type, int dataSize) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_file == nullptr || m_full)
        return;
    char row[ROW_SIZE];
    int length = std::snprintf(row, sizeof(row), "%f,%d,%d\n", seconds, type, dataSize);
    if (length < 0 || length >= ROW_SIZE)
        return; // a time too large to print is not a time this program keeps
    if (m_written + length > m_limit - FULL_ROW_RESERVE) {
        m_full = true;
        length = std::snprintf(row, sizeof(row), "%f,%s,%ld\n", seconds, MESSAGE_LOG_FULL_TEXT, m_limit);
        if (length < 0 || length >= ROW_SIZE || m_written + length > m_limit)
            return;
    }
    append(row, length);
}

void messageLog::append(const char* row, int length) {
    std::fwrite(row, 1, static_cast<size_t>(length), m_file);
    // Flushed per row so the log is whole even if the process is killed.
    std::fflush(m_file);
    m_written += length;
}
