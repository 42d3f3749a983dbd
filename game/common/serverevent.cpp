#include "game/common/serverevent.h"

#include <cstdarg>
#include <cstdio>

// The calendar of <chrono> rather than gmtime_r, which not every C library has.
std::string formatEventTime(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(when.time_since_epoch());
    const sys_days day = floor<days>(sys_time<std::chrono::milliseconds>(milliseconds));
    const year_month_day date{day};
    const hh_mm_ss<std::chrono::milliseconds> time{milliseconds - day.time_since_epoch()};
    char text[40];
    std::snprintf(text, sizeof(text), "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
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
