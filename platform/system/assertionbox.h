#pragma once

#include "core/assertion.h"

// The program's assertion handler: asks in a message box, or on the terminal
// when there is no display; Yes stops in an attached debugger and carries on.
AssertionAnswer askAboutAssertion(const char* caption, const char* text);
