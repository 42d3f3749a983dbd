#pragma once

#include "game/server/zebgamestategame.h"

#include <string>
#include <vector>

class ZEBObject;
class messageQueue;

// Steps of set-up shared by the windowed game and the dedicated host.

// The discovery targets and port of the command line, before any connection.
void applyNetworkOptions();

// Loads the level into objects (and configures game when given one). A level
// that cannot be loaded throws the QXL exceptions; getLevelFileName names the
// file that was read, for the report.
void loadLevelFile(std::vector<ZEBObject>& objects, ZEBGameStateGame* game);
const std::string& getLevelFileName();

// The name this copy hosts under: --session-name, else "The Game".
std::string getHostedSessionName();

// Creates g_serverGame and g_host, configures the game from the level and
// hosts "The Game". False, after saying why on standard error, when the copy
// cannot host.
bool startHostedGame();

// One step of the hosted game: the received messages and the transport's
// events in, what the game produces out to the players. The players it
// refuses are dropped (and returned, for a report), and discovery learns how
// many play now.
std::vector<PlayerRefusal> tickHostedGame(float dt, messageQueue& received,
                                          const std::vector<networkEvent>& events);

// Ends this copy's hosting: the players are told and discovery falls silent.
void stopHosting();

// The dedicated server's counters (with --metrics): startServerCounters serves
// them, false after saying why on standard error when it cannot;
// recordServerTick updates them after every tick; stopServerCounters ends the
// serving before the host goes.
bool startServerCounters();
void recordServerTick(double tickSeconds, size_t refusedJoins);
void stopServerCounters();
