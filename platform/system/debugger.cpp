#include "platform/system/debugger.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const char* const TRACER_FIELD = "TracerPid:";

} // namespace

bool isDebuggerAttached() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(TRACER_FIELD, 0) == 0)
            return std::atoi(line.c_str() + std::char_traits<char>::length(TRACER_FIELD)) != 0;
    }
    return false;
}

void breakIntoDebugger() {
    // Without a debugger SIGTRAP would end the process with a core dump.
    if (isDebuggerAttached())
        std::raise(SIGTRAP);
}
