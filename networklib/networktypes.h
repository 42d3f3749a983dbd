#pragma once

// The transport's plain types that the library's users name: addresses (and
// reading and writing them), GUIDs and the traffic figures. They come from
// the platform layer; the game reaches them only through here.
#include "platform/net/netaddress.h"
#include "platform/net/netguid.h"
#include "platform/net/netstats.h"
