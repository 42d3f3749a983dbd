#pragma once

#include <string>

// The folder holding the running program, without a trailing slash; empty when
// it cannot be told.
std::string getExecutableDirectory();

bool fileExists(const std::string& path); // a regular file that can be read
