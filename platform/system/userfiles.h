#pragma once

#include <string>

// Where the user's own files live, and how they are replaced.

// The folder for the user's settings: $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config; on Windows %APPDATA%. Empty when none is known.
std::string userConfigFolder();

// The folder for a copy's message log: the working folder (empty) on Linux;
// on Windows %LOCALAPPDATA%\zeb, made when missing, since the program's own
// folder is often not writable there. Empty when none is known.
std::string userLogFolder();

// The folder for the user's data (kept recordings): $XDG_DATA_HOME when it is
// an absolute path, else $HOME/.local/share; on Windows %LOCALAPPDATA%. Empty
// when none is known.
std::string userDataFolder();

// Puts the file from in the place of to, replacing it in one step.
bool replaceFile(const std::string& from, const std::string& to);
