#include "platform/system/consolelines.h"

#include <poll.h>
#include <unistd.h>

namespace {

constexpr size_t READ_CHUNK = 4096;
constexpr int READS_PER_TAKE = 16; // a flood of input waits for the next step

bool mayRead() {
    // A background job that reads its terminal is stopped by the system.
    return !isatty(STDIN_FILENO) || tcgetpgrp(STDIN_FILENO) == getpgrp();
}

} // namespace

struct consoleLines::reader {};

consoleLines::consoleLines() = default;
consoleLines::~consoleLines() = default;

void consoleLines::take(std::vector<std::string>& lines) {
    for (int reads = 0; reads < READS_PER_TAKE && !m_closed && mayRead(); ++reads) {
        pollfd input = {STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 0) <= 0 || (input.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == 0)
            return;
        char buffer[READ_CHUNK];
        const ssize_t count = read(STDIN_FILENO, buffer, sizeof(buffer));
        if (count <= 0) {
            m_closed = true; // ended, or cannot be read: nothing more will come
            return;
        }
        addBytes(buffer, static_cast<size_t>(count), lines);
    }
}
