#include "platform/net/netendpoint.h"

// A browser has one thread and no ENet: its transport (a WebSocket) sends at
// once and its callbacks post to the inbox between frames. What remains of
// the service is the end's own deadlines, looked at whenever the game pumps.

netEndpoint::~netEndpoint() = default;

bool netEndpoint::initialise() {
    return true;
}

void netEndpoint::pump() {
    supervise();
}

void netEndpoint::releaseSends() {
    m_outbox.releaseQuietly();
}
