#pragma once

#include <chrono>
#include <string>

// The dedicated server's output: one line per event, each starting with the
// time it was printed in ISO 8601 (UTC, to the millisecond), so that an
// operator's log or journal can be read and merged by time.

// "2026-12-07T11:36:34.123Z"
std::string formatEventTime(std::chrono::system_clock::time_point when);

// Prints the time, a space and the formatted text as one line on standard
// output, and flushes it, so a log that follows the output sees it at once.
void printServerEvent(const char* format, ...) __attribute__((format(printf, 1, 2)));
