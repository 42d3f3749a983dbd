#pragma once

#include "platform/net/netguid.h"

#include <cstdint>
#include <string>

// The description of a hosted session, as the host advertises it and a
// client records it from an enumeration answer.
constexpr uint32_t NET_SESSION_CLIENT_SERVER = 0x0001;
constexpr int NET_MAX_SESSION_NAME = 255; // bytes of UTF-8, terminator not counted

struct netApplicationDesc {
    uint32_t flags = 0;
    netGuid instanceGuid;    // random per hosted session
    netGuid applicationGuid; // which game
    uint32_t maxPlayers = 0; // 0: no limit
    uint32_t currentPlayers = 0;
    std::string sessionName; // at most NET_MAX_SESSION_NAME bytes
};

// Cuts a name to NET_MAX_SESSION_NAME bytes without splitting a UTF-8 character.
std::string limitSessionName(const std::string& name);
