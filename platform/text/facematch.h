#pragma once

#include <string>

// The file of a scalable face matching faceName through fontconfig ("Arial"
// finds Liberation Sans, its metric twin); when nothing of that family is
// installed, another sans face. Empty when fontconfig offers no face at all.
// family receives the matched family name when not null.
std::string findFaceFile(const char* faceName, std::string* family);
