#pragma once

#include <cstdint>

// The kind of a shape and of a game state element; a plain integer on the
// wire and in the level file.
enum ZEBObjectType : int32_t {
    TYPE_ASTEROID = 0,
    TYPE_PLAYER = 1, // a ship
    TYPE_BULLET = 2,
    TYPE_UNKNOWN = 3,
};
