#pragma once

#include "platform/net/netaddress.h"
#include "platform/net/netapplicationdesc.h"

#include <cstdint>

// Outcomes and reasons carried by the events of the inbox (netinbox.h). The
// calls themselves answer true or false.
constexpr int NET_OK = 0;
constexpr int NET_E_TIMEDOUT = -1;     // no answer before the connect deadline
constexpr int NET_E_NOCONNECTION = -2; // refused or dropped while connecting

// Why a player left, as DirectPlay numbers them.
constexpr uint32_t NET_REASON_NORMAL = 0x0001;             // the player disconnected
constexpr uint32_t NET_REASON_CONNECTION_LOST = 0x0002;    // stopped answering
constexpr uint32_t NET_REASON_SESSION_TERMINATED = 0x0003; // the host ended the session
// Reasons of ZEB's own, beyond DirectPlay's.
constexpr uint32_t NET_REASON_GAME_FULL = 0x0101;  // the host's game had no place
constexpr uint32_t NET_REASON_NOT_JOINED = 0x0102; // the host dropped a connection that never joined

// Player ids are 1 upwards; the server itself is this one.
constexpr uint32_t NET_SERVER_PLAYER_ID = 0xFFFFFFFF;

// One answer to a discovery query.
struct netHostAnswer {
    netAddress hostAddress; // the answer's source IP with the advertised game port
    netApplicationDesc applicationDesc;
};

// What a host's rank adds to its answer, for another host to compare games.
struct netHostRank {
    netGuid instanceGuid;
    uint32_t secondsHosted = 0;
    uint8_t flags = 0; // DISCOVERY_RANK_*
};
