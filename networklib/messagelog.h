#pragma once

#include <cstdio>
#include <mutex>
#include <string>

// The process's one log of received messages, kept only when the program is
// asked to (keepMessageLog, before the first message arrives), in the file it
// names. Opened (truncated) at first use with its header; the
// host and the client of a hosting copy write their rows into it under one
// lock. A log that cannot be opened swallows rows silently.
//
// An ordinary player adds a few megabytes an hour and a flooding peer far
// more, so the file stops growing at its size limit: the row that would pass
// it is replaced by one last row "<time>,Log Full,<limit>", and nothing is
// written after that. The file never exceeds the limit.
constexpr const char* MESSAGE_LOG_FILE_NAME = "message_log.csv";
constexpr long MESSAGE_LOG_LIMIT = 16L * 1024 * 1024; // bytes
constexpr const char* MESSAGE_LOG_FULL_TEXT = "Log Full";

class messageLog {
  public:
    static messageLog& shared(); // the file keepMessageLog named, with MESSAGE_LOG_LIMIT; none: no file
    static void keepMessageLog(const std::string& fileName);

    messageLog(const char* fileName, long limitBytes);
    ~messageLog();
    messageLog(const messageLog&) = delete;
    messageLog& operator=(const messageLog&) = delete;

    void write(double seconds, int type, int dataSize);
    bool isOpen() const { return m_file != nullptr; }
    bool isFull() const { return m_full; }

  private:
    void append(const char* row, int length); // the caller holds the lock

    std::mutex m_lock;
    std::FILE* m_file = nullptr;
    long m_limit;
    long m_written = 0;
    bool m_full = false;
};
