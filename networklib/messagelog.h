#pragma once

#include <cstdio>
#include <mutex>

// The process's one log of received messages, "message_log.csv" in the
// working directory. Opened (truncated) at first use with its header; the
// host and the client of a hosting copy write their rows into it under one
// lock. A log that cannot be opened swallows rows silently.
constexpr const char* MESSAGE_LOG_FILE_NAME = "message_log.csv";

class messageLog {
  public:
    static messageLog& shared();

    void write(double seconds, int type, int dataSize);
    bool isOpen() const { return m_file != nullptr; }

  private:
    messageLog();
    ~messageLog();
    messageLog(const messageLog&) = delete;
    messageLog& operator=(const messageLog&) = delete;

    std::mutex m_lock;
    std::FILE* m_file = nullptr;
};
