#pragma once

#include <cstdint>
#include <vector>

// What a dedicated server tells the Agones sidecar of its pod, decided on the
// game's own tick: a game whose tick is stuck stops sending Health, and Agones
// replaces it.

constexpr double AGONES_HEALTH_PERIOD_SECONDS = 2.0; // the GameServer's health period matches it

enum class agonesCall {
    ready,        // the game hosts and takes players
    health,       // the game ticks
    playersLabel, // the number of players in the game, as the label "players"
    // Agones' player tracking (alpha, where the cluster has it): the game's
    // places, numbered from 1, stand for the players, so the count is right.
    playerCapacity,   // players: the game's limit
    playerConnect,    // players: the place taken
    playerDisconnect, // players: the place given up
    shutdown,         // the game is over: Agones may remove the server
};

struct ZEBAgonesRequest {
    agonesCall call = agonesCall::health;
    uint32_t players = 0; // the count, the capacity or the place
};

// The calls due at each tick, on the caller's clock (seconds, only growing),
// so tests replay a game's life without waiting for it.
class ZEBAgonesSchedule {
  public:
    // emptyShutdownSeconds > 0: the game asks to end once it has been empty
    // that long after having had players; 0: never. capacity: the game's limit.
    ZEBAgonesSchedule(double emptyShutdownSeconds, uint32_t capacity)
        : m_emptyShutdown(emptyShutdownSeconds), m_capacity(capacity) {}

    // One tick of the hosted game, with the players in it now: Ready and the
    // capacity (first tick), Health (every AGONES_HEALTH_PERIOD_SECONDS), the
    // players label and the places taken or given up (when the count changes).
    std::vector<ZEBAgonesRequest> tick(double now, uint32_t players);

    // The game has stayed empty for the set time after having had players.
    bool isOverForLackOfPlayers() const { return m_over; }

  private:
    void countPlayers(uint32_t players, std::vector<ZEBAgonesRequest>& due);

    double m_emptyShutdown;
    uint32_t m_capacity;
    bool m_started = false;
    double m_nextHealth = 0.0;
    uint32_t m_players = 0;
    bool m_hadPlayers = false;
    double m_emptySince = 0.0;
    bool m_over = false;
};
