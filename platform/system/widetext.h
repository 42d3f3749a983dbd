#pragma once

#include <string>

// Windows names files and reads its environment in UTF-16; the program keeps
// UTF-8. Invalid input converts to the replacement character.
std::wstring toWide(const std::string& utf8);
std::string fromWide(const std::wstring& utf16);
