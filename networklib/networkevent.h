#pragma once

#include <cstdint>
#include <vector>

// What the transport itself tells the game, beside the messages that peers
// send: on the host a player joined or left, on the client the session ended
// (a connect that failed included). No peer can send one.
enum class networkEventKind : uint8_t {
    playerJoined, // host: playerID
    playerLeft,   // host: playerID and reason (NET_REASON_*)
    sessionEnded, // client: the connection is over; networkClient::getEnd says why
};

struct networkEvent {
    networkEventKind kind = networkEventKind::playerJoined;
    uint32_t playerID = 0;
    uint32_t reason = 0;
    // Its place among the messages taken with it: how many of them came first.
    int messagesBefore = 0;
    uint32_t address = 0;    // playerJoined: where it connects from (IPv4, host order); 0 unknown
    bool viaBrowser = false; // playerJoined: a browser's player, for the counters
};

// The message log keeps a row for each event as for a message, so that every
// copy's log reads alike: the type number the game's protocol keeps for the
// event (no peer message uses it) and the size of what the event carries.
constexpr int NETWORK_LOG_PLAYER_JOINED = 1;
constexpr int NETWORK_LOG_PLAYER_LEFT = 2;
constexpr int NETWORK_LOG_SESSION_ENDED = 3;
struct networkLogRow {
    int type = 0;
    int dataSize = 0;
};
networkLogRow logRowOf(networkEventKind kind);

// True when events hold the end of the session.
bool hasSessionEnded(const std::vector<networkEvent>& events);
