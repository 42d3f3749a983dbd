#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// Blocking-free socket steps under one deadline, shared by the plain HTTP
// server and client (HTTP/1.1 on POSIX sockets, without TLS).

using httpDeadline = std::chrono::steady_clock::time_point;

httpDeadline httpDeadlineIn(int milliseconds);

// Waits until fd is ready for events (POLLIN, POLLOUT) or the deadline passes.
bool httpWaitFor(int fd, short events, httpDeadline deadline);

bool httpSendAll(int fd, const std::string& bytes, httpDeadline deadline);

// Appends what arrives to text until it holds end (found: true), the peer
// closes, limit bytes are held or the deadline passes. An empty end reads to
// the close.
bool httpReceiveUntil(int fd, const std::string& end, size_t limit, httpDeadline deadline, std::string& text);
