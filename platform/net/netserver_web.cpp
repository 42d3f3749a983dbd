#include "platform/net/netserver.h"

// A page cannot listen for players: hosting fails, and the game says so.

netServer::~netServer() = default;

bool netServer::host(const netApplicationDesc&, uint16_t, uint16_t, bool) {
    return false;
}

void netServer::close() {}

void netServer::sendTo(uint32_t, const uint8_t*, size_t, bool) {}

void netServer::disconnectPlayer(uint32_t, uint32_t) {}

netServerStats netServer::getStats() const {
    return {};
}

void netServer::sendPacket(netOutgoing&) {}

bool netServer::dispatch(_ENetEvent&) {
    return false;
}

bool netServer::supervise() {
    return false;
}

int netServer::msUntilDue() const {
    return 0;
}

void netServer::serviceSideSocket() {}

void netServer::shutdownTransport() {}
