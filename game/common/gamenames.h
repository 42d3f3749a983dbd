#pragma once

// The names every program of the game agrees on: the game's identity on the
// network, the default names of a hosted game and of a player, the level file.

#include "networklib/networktypes.h"

constexpr netGuid APPLICATION_GUID = ZEB_APPLICATION_GUID;
constexpr const char* SESSION_NAME = "The Game";
constexpr const char* PLAYER_NAME = "Player";
constexpr const char* LEVEL_FILE = "level_0.xml";
