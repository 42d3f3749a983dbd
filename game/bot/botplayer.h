#pragma once

struct gameOptions;

// A computer player (zeb --bot): joins like any player, headless, until stopped; returns the exit code.
int runBot(const gameOptions& options);
