#pragma once

#include <functional>

// Runs the program's body; a level that cannot be loaded ends the program
// instead, with the file and the reason on standard error and, when show is
// given, shown to the player too. Returns the body's exit code, or 1.
int runReportingLevelFailures(const std::function<int()>& body, void (*show)(const char* text));
