#pragma once

// Starts ENet once per process; false when it cannot start. Safe from any thread.
bool netStartTransport();

// Names the calling service thread (at most 15 characters), so that tools
// such as top -H tell it from the game's own thread.
void netNameServiceThread(const char* name);
