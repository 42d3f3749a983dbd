#pragma once

// game/level: the level file. The QXL access layer reads the XML (its
// exceptions are thrown here and caught once, by the program); the loader turns
// it into line shapes and, on the hosting side, the round's settings.

#include "game/rules/zebobject.h"
#include "game/rules/zebobjecttype.h"

#include <string>
#include <vector>

class ZEBGameStateGame;

constexpr int LEVEL_TEXT_SIZE = 256;      // the type and background texts keep at most 255 characters
constexpr int MAX_SHAPE_VERTICES = 4096;  // a shape is an outline of a few dozen vertices at most
constexpr int MAX_ASTEROID_FAMILIES = 64; // each family is seven elements in every full state

// "player", "bullet" and "asteroid", compared exactly; anything else is unknown.
ZEBObjectType objectTypeFromText(const char* text);

// Appends the file's shapes to objects, in file order. With a game, each level
// element sets its asteroid count and speed, and the game then sorts the whole
// shape list. Failures throw QXL exceptions; shapes appended before stay.
void loadLevel(const std::string& fileName, std::vector<ZEBObject>& objects, ZEBGameStateGame* game);
