#include "networklib/networkevent.h"

#include <algorithm>

networkLogRow logRowOf(networkEventKind kind) {
    switch (kind) {
    case networkEventKind::playerJoined:
        return {NETWORK_LOG_PLAYER_JOINED, 4}; // the player's id
    case networkEventKind::playerLeft:
        return {NETWORK_LOG_PLAYER_LEFT, 8}; // the player's id and the reason
    case networkEventKind::sessionEnded:
        return {NETWORK_LOG_SESSION_ENDED, 0};
    }
    return {};
}

bool hasSessionEnded(const std::vector<networkEvent>& events) {
    return std::any_of(events.begin(), events.end(), [](const networkEvent& event) {
        return event.kind == networkEventKind::sessionEnded;
    });
}
