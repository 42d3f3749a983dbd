#pragma once

#include <string>

// A player's name travels in 32 bytes with its terminator.
constexpr size_t PLAYER_NAME_MAX_BYTES = 31;

// Takes a name given by the user: not empty, valid UTF-8 with no control or
// bidirectional characters (what every copy shows unchanged); a longer one is
// cut to PLAYER_NAME_MAX_BYTES at a character boundary. False, with name unchanged and the reason in error,
// otherwise.
bool acceptPlayerName(const std::string& text, std::string& name, std::string& error);
