#include "platform/net/netwake.h"

// A browser has no service thread to wake: every signal is already seen.

netWake::netWake() = default;

netWake::~netWake() = default;

void netWake::signal() {}

void netWake::clear() {}
