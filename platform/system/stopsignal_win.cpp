#include "platform/system/stopsignal.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> g_stopRequested{false};

// Runs on a thread of its own that Windows starts for the event. Ctrl+C and
// Ctrl+Break are answered; closing the console or logging off ends the process
// once this returns, so those only get the request in before the end.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        g_stopRequested = true;
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void installStopSignals() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool isStopRequested() {
    return g_stopRequested;
}

void requestStop() {
    g_stopRequested = true;
}
