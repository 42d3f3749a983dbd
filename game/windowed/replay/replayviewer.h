#pragma once

#include <string>

class ZEBReplayRecorder;
struct gameOptions;

// Every game a windowed copy plays is recorded into the user's replay folder,
// which keeps the newest recordings within a size. False (after a line on
// standard error) when the game cannot be recorded.
bool startReplayRecording(ZEBReplayRecorder& recorder, const std::string& playerName);
void finishReplayRecording(ZEBReplayRecorder& recorder); // nothing unless it records

// --replay FILE: plays a recording in the window; 2 when it cannot be read.
int runReplay(const gameOptions& options);
