#include "platform/net/netwake.h"

#include <sys/eventfd.h>
#include <unistd.h>

netWake::netWake() : m_socket(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

netWake::~netWake() {
    if (m_socket >= 0)
        close(m_socket);
}

void netWake::writeSignal() {
    const uint64_t one = 1;
    // A full counter still leaves the fd readable, so a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = write(m_socket, &one, sizeof(one));
}

// The counter holds the number of signals written since the last read.
uint64_t netWake::readSignals() {
    uint64_t count = 0;
    return read(m_socket, &count, sizeof(count)) == static_cast<ssize_t>(sizeof(count)) ? count : 0;
}
