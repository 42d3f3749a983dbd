#include "platform/system/stopsignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void onStopSignal(int) {
    g_stopRequested = 1;
}

} // namespace

void installStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool isStopRequested() {
    return g_stopRequested != 0;
}

void requestStop() {
    g_stopRequested = 1;
}
