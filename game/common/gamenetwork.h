#pragma once

#include <string>
#include <vector>

#include "game/level/levelloader.h"

struct gameOptions;

// Steps of set-up shared by the windowed game, the bots and the dedicated host.

// The discovery targets and port of the command line, before any connection.
void applyNetworkOptions(const gameOptions& options);

// Loads the level file. A level that cannot be loaded throws the QXL
// exceptions; getLevelFileName names the file it reads, for the report.
LevelData loadLevelFile();
std::string getLevelFileName();

// A game hosted beside full ones, named after its player: "Ann's game".
std::string ownGameName(const std::string& playerName);
// The name this copy hosts under: --session-name, else "The Game".
std::string getHostedSessionName(const gameOptions& options);

// "host[:port]" of --connect, for the client's connectTo.
std::string getConnectAddress(const gameOptions& options);
