#include "game/shell/serverevent.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

std::string formatEventTime(std::chrono::system_clock::time_point when) {
    const auto sinceEpoch = when.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds);
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    std::tm parts = {};
    gmtime_r(&whole, &parts);
    char text[40];
    const size_t length = std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%S", &parts);
    std::snprintf(text + length, sizeof(text) - length, ".%03dZ", static_cast<int>(milliseconds.count()));
    return text;
}

void printServerEvent(const char* format, ...) {
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof(line), format, arguments);
    va_end(arguments);
    std::printf("%s %s\n", formatEventTime(std::chrono::system_clock::now()).c_str(), line);
    std::fflush(stdout);
}
