#pragma once

#include <cstdint>

// What a hosting end has counted since it started; every count only grows.
struct netServerStats {
    uint64_t sentBytes = 0;     // UDP payload bytes, ENet's own traffic included
    uint64_t receivedBytes = 0; // the same, received
    uint64_t sentDatagrams = 0; // UDP datagrams, ENet's own included
    uint64_t receivedDatagrams = 0;
    uint64_t sentMessages = 0;     // packets handed to players, one per player reached
    uint64_t receivedMessages = 0; // packets received from players
    uint64_t droppedPeers = 0;     // players lost without leaving: timed out or gone silent
    uint64_t refusedConnects = 0;  // connects refused for a wrong protocol version
    uint64_t webSentBytes = 0;     // TCP payload bytes of the web port, HTTP included
    uint64_t webReceivedBytes = 0;
    uint64_t browserPlayersJoined = 0; // players who came by the web port
};
