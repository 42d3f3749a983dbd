#pragma once

#include <string>

// Where a data file (the level, the sounds) is read from: the working
// directory first, as designed, then where the game was installed: the
// program's folder, ../share/zeb beside it and the data folder the build was
// configured to install into. The name itself when none has it,
// so the reader reports the name the game asked for.
std::string findDataFile(const std::string& name);

// Where the message log goes when the player asks for it (--log): the
// working folder, which the player chose by starting the program there.
std::string messageLogPath();
