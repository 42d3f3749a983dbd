#pragma once

struct gameOptions;

// The windowless host (zeb --server, zeb-server): hosts until stopped; returns the exit code.
int runDedicatedServer(const gameOptions& options);
