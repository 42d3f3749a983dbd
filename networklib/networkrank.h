#pragma once

#include "platform/net/netguid.h"

#include <cstdint>

// Games of one application on one network should be one game: a host that
// sees a game ranking above its own moves its players there. The rank is a
// fixed rule that both hosts work out alike, so that of two games at most one
// moves: a dedicated server above a game hosted in a window (its operator
// chose it), a game that stays where it was put (a host given its port) above
// one that may move, then more players, then the clearly older game, then the
// lower instance.
struct networkGameStanding {
    bool dedicated = false;
    bool staysPut = false; // never moves to another game
    uint32_t players = 0;
    uint32_t maxPlayers = 0; // 0: no limit
    uint32_t secondsHosted = 0;
    netGuid instance;
};

// What a host's rank says of its game (the bits of netHostRank::flags).
constexpr uint8_t RANK_STAYS_PUT = 0x01;
constexpr uint8_t RANK_DEDICATED = 0x02;

// Two hosts measure each other's age a moment apart: ages closer than this
// count as equal, so that a lag cannot make each think the other older.
constexpr uint32_t NETWORK_RANK_AGE_MARGIN_S = 10;

// True when a ranks above b.
bool ranksAbove(const networkGameStanding& a, const networkGameStanding& b);
// True when own should move to other: own may move, other ranks above it and
// has a free place.
bool shouldMoveTo(const networkGameStanding& own, const networkGameStanding& other);
