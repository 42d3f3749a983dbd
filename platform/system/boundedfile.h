#pragma once

#include <cstddef>
#include <string>

// Reading a file an operator or user names (a settings file). Only a regular
// file, after following links, of at most a bound is read: a directory, a FIFO
// or a device (/dev/zero) would fail, block or never end. The type is looked
// at before the file is opened, and the file is opened without waiting, so
// nothing here can hang.
enum class boundedFileResult { read, missing, refused };

// The whole file into text. missing: there is no such file (text empty);
// refused: reason says why, for a message ("is a directory", ...).
boundedFileResult readBoundedFile(const std::string& path, size_t maxBytes, std::string& text,
                                  std::string& reason);
