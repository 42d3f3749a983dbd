#include "game/shell/shell.h"

// What the dedicated server shares with the windowed game: the command line
// and the hosted game.
shellOptions g_options;
networkHost* g_host = nullptr;
ZEBGameStateGame* g_serverGame = nullptr;
std::vector<PlayerStats> g_formerTable;
std::vector<ZEBObject> g_serverObjects;
