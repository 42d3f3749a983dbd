#pragma once

#include <cstdint>
#include <vector>

// Process-wide network settings. Each starts from the environment
// (ZEB_DISCOVERY: comma-separated IPv4 addresses; ZEB_DISCOVERY_PORT) or the
// built-in default, and the game's command line may replace it before any
// connection is made. Safe to call from any thread.
constexpr uint16_t NET_DEFAULT_DISCOVERY_PORT = 27350;
constexpr uint16_t NET_DEFAULT_GAME_PORT = 27351;
constexpr int NET_DISCOVERY_WINDOW_MS = 400; // an enumeration gathers answers this long
// A copy about to host says so this long first (its claim), and hosts only
// when no other copy about to host outranks it.
constexpr int NET_CLAIM_WINDOW_MS = 250;

// The explicit list when one was given, else worked out afresh at each call:
// the directed broadcast of every card that is up, the limited broadcast
// 255.255.255.255 (which leaves through one card only) and the loopback
// broadcast 127.255.255.255.
std::vector<uint32_t> getDiscoveryTargets(); // host byte order
std::vector<uint32_t> defaultDiscoveryTargets();
void setDiscoveryTargets(const std::vector<uint32_t>& targets);

uint16_t getDiscoveryPort();
void setDiscoveryPort(uint16_t port);

uint16_t getGamePort(); // where a host listens first and a client joins by default
void setGamePort(uint16_t port);
