#include "platform/net/netenet.h"

#include <enet/enet.h>
#include <mutex>
#include <pthread.h>

bool netStartTransport() {
    static std::once_flag s_once;
    static bool s_started = false;
    std::call_once(s_once, [] { s_started = enet_initialize() == 0; });
    return s_started;
}

void netNameServiceThread(const char* name) {
    pthread_setname_np(pthread_self(), name);
}
