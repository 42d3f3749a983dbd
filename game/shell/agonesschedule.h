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
    shutdown,     // the game is over: Agones may remove the server
};

struct ZEBAgonesRequest {
    agonesCall call = agonesCall::health;
    uint32_t players = 0; // for playersLabel
};

// The calls due at each tick, on the caller's clock (seconds, only growing),
// so tests replay a game's life without waiting for it.
class ZEBAgonesSchedule {
  public:
    // emptyShutdownSeconds > 0: the game asks to end once it has been empty
    // that long after having had players; 0: never.
    explicit ZEBAgonesSchedule(double emptyShutdownSeconds) : m_emptyShutdown(emptyShutdownSeconds) {}

    // One tick of the hosted game, with the players in it now: Ready (first
    // tick), Health (every AGONES_HEALTH_PERIOD_SECONDS), the players label
    // (when the count changes).
    std::vector<ZEBAgonesRequest> tick(double now, uint32_t players);

    // The game has stayed empty for the set time after having had players.
    bool isOverForLackOfPlayers() const { return m_over; }

  private:
    double m_emptyShutdown;
    bool m_started = false;
    double m_nextHealth = 0.0;
    uint32_t m_players = 0;
    bool m_hadPlayers = false;
    double m_emptySince = 0.0;
    bool m_over = false;
};
