#pragma once

// game/level: the level file. The QXL access layer reads the XML (its
// exceptions are thrown here and caught once, by the program); the loader turns
// it into line shapes and the round's settings, which the program hands to the
// hosted game.

#include "game/rules/zebobject.h"
#include "game/rules/zebobjecttype.h"

#include <optional>
#include <string>
#include <vector>

constexpr int LEVEL_TEXT_SIZE = 256;      // the type and background texts keep at most 255 characters
constexpr int MAX_SHAPE_VERTICES = 4096;  // a shape is an outline of a few dozen vertices at most
constexpr int MAX_ASTEROID_FAMILIES = 64; // each family is seven elements in every full state

// "player", "bullet" and "asteroid", compared exactly; anything else is unknown.
ZEBObjectType objectTypeFromText(const char* text);

// A level element's settings for the round: how many asteroid families and
// their speed.
struct LevelSettings {
    int asteroids = 0;
    float speed = 0.0f;
};

// What a level file holds: its shapes in file order and, when it has level
// elements, the settings of the last one.
struct LevelData {
    std::vector<ZEBObject> shapes;
    std::optional<LevelSettings> settings;
};

// Reads the file. Failures throw QXL exceptions; nothing of a file that fails
// is kept.
LevelData loadLevel(const std::string& fileName);
