#include "networklib/networkrank.h"

#include <algorithm>

namespace {

int kind(const networkGameStanding& game) {
    return game.dedicated ? 2 : game.staysPut ? 1 : 0;
}

} // namespace

bool ranksAbove(const networkGameStanding& a, const networkGameStanding& b) {
    if (kind(a) != kind(b))
        return kind(a) > kind(b);
    if (a.players != b.players)
        return a.players > b.players;
    const uint32_t older = std::max(a.secondsHosted, b.secondsHosted);
    const uint32_t younger = std::min(a.secondsHosted, b.secondsHosted);
    if (older - younger >= NETWORK_RANK_AGE_MARGIN_S)
        return a.secondsHosted > b.secondsHosted;
    return std::lexicographical_compare(a.instance.bytes.begin(), a.instance.bytes.end(),
                                        b.instance.bytes.begin(), b.instance.bytes.end());
}

bool shouldMoveTo(const networkGameStanding& own, const networkGameStanding& other) {
    if (own.dedicated || own.staysPut || own.instance == other.instance)
        return false;
    if (other.maxPlayers != 0 && other.players >= other.maxPlayers)
        return false;
    return ranksAbove(other, own);
}
