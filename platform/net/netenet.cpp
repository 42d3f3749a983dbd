#include "platform/net/netenet.h"

#include <enet/enet.h>
#include <mutex>

bool netStartTransport() {
    static std::once_flag s_once;
    static bool s_started = false;
    std::call_once(s_once, [] { s_started = enet_initialize() == 0; });
    return s_started;
}
