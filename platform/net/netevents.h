#pragma once

#include "platform/net/netaddress.h"
#include "platform/net/netapplicationdesc.h"

#include <cstddef>
#include <cstdint>

// Events that the server and client objects hand to their owner's handler,
// always on the object's own service thread (enumeration answers on the thread
// that enumerates). Pointers inside an event are valid only during the call.
using netMessageHandler = int (*)(void* userContext, uint32_t messageId, void* message);

enum netMessageId : uint32_t {
    NET_MSGID_CREATE_PLAYER = 1,      // server: netMsgCreatePlayer
    NET_MSGID_DESTROY_PLAYER = 2,     // server: netMsgDestroyPlayer
    NET_MSGID_RECEIVE = 3,            // both: netMsgReceive
    NET_MSGID_CONNECT_COMPLETE = 4,   // client: netMsgConnectComplete
    NET_MSGID_TERMINATE_SESSION = 5,  // client: netMsgTerminateSession
    NET_MSGID_ENUM_HOSTS_RESPONSE = 6 // client: netMsgEnumHostsResponse
};

constexpr int NET_OK = 0;
constexpr int NET_E_TIMEDOUT = -1;     // no answer before the connect deadline
constexpr int NET_E_NOCONNECTION = -2; // refused or dropped while connecting
constexpr int NET_E_INVALID = -3;      // bad address or the transport could not start

// Why a player left, as DirectPlay numbers them.
constexpr uint32_t NET_REASON_NORMAL = 0x0001;             // the player disconnected
constexpr uint32_t NET_REASON_CONNECTION_LOST = 0x0002;    // stopped answering
constexpr uint32_t NET_REASON_SESSION_TERMINATED = 0x0003; // the host ended the session
// Reasons of ZEB's own, beyond DirectPlay's.
constexpr uint32_t NET_REASON_GAME_FULL = 0x0101;  // the host's game had no place
constexpr uint32_t NET_REASON_NOT_JOINED = 0x0102; // the host dropped a connection that never joined

// Player ids are 1 upwards; the server itself is this one.
constexpr uint32_t NET_SERVER_PLAYER_ID = 0xFFFFFFFF;

struct netMsgCreatePlayer {
    uint32_t playerID;
};

struct netMsgDestroyPlayer {
    uint32_t playerID;
    uint32_t reason;
};

struct netMsgReceive {
    uint32_t senderID;
    const uint8_t* data;
    size_t size;
};

struct netMsgConnectComplete {
    int result; // NET_OK or a NET_E_ code
};

struct netMsgTerminateSession {
    uint32_t reason;
};

struct netMsgEnumHostsResponse {
    netAddress hostAddress; // the answer's source IP with the advertised game port
    const netApplicationDesc* applicationDesc;
};
