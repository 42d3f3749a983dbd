#pragma once

#include <memory>
#include <string>
#include <vector>

// Lines an operator types on a windowless program's standard input, taken
// without waiting between the program's steps. Standard input that ends (a
// service, /dev/null) is let go; a terminal is read only while the program is
// in its foreground, so a program started in the background is never stopped
// for reading it. Each line is cut to CONSOLE_LINE_MAX_BYTES. On Windows a
// thread of the object's own waits for the input, which cannot be looked at
// there without waiting; a console gives its lines once Enter is pressed.
constexpr size_t CONSOLE_LINE_MAX_BYTES = 1024;

class consoleLines {
  public:
    consoleLines();
    ~consoleLines();
    consoleLines(const consoleLines&) = delete;
    consoleLines& operator=(const consoleLines&) = delete;

    // Appends the complete lines that have arrived, without their line ends.
    void take(std::vector<std::string>& lines);
    bool isClosed() const { return m_closed; }

    struct reader; // the system's own way of waiting for input, where it needs one

  private:
    void addBytes(const char* bytes, size_t count, std::vector<std::string>& lines);

    std::shared_ptr<reader> m_reader;
    std::string m_partial; // a line still being typed; bytes past the bound are dropped
    bool m_closed = false;
};
