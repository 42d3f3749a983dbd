#include "platform/system/debugger.h"

#include <windows.h>

bool isDebuggerAttached() {
    return IsDebuggerPresent() != FALSE;
}

void breakIntoDebugger() {
    // Without a debugger the breakpoint would end the process.
    if (isDebuggerAttached())
        DebugBreak();
}
