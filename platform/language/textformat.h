#pragma once

#include <string>

// printf into a string of any length, for translated formats whose length
// the code cannot know ahead.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
formatText(const char* format, ...);
