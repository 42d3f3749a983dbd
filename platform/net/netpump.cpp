#include "platform/net/netpump.h"

#include "platform/net/netpeer.h"
#include "platform/net/netprotocol.h"

#include <enet/time.h>

bool netPumpWatch::isRecent(uint32_t now) const {
    const uint32_t last = m_last;
    return last != 0 && ENET_TIME_DIFFERENCE(now, last) < NET_PUMP_GRACE_MS;
}

int netPumpWatch::msUntilStale(uint32_t now) const {
    return isRecent(now) ? msUntil(m_last + NET_PUMP_GRACE_MS, now) : 0;
}
