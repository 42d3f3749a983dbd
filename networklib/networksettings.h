#pragma once

// The process-wide network settings (discovery targets and port, the game
// port), which the program's options set before any connection is made. They
// belong to the platform layer; the game reaches them only through here.
#include "platform/net/netsettings.h"
