#pragma once

struct gameOptions;

// zeb --status: lists the games that answer a search. Returns 0 when at least one host answered.
int runStatusQuery(const gameOptions& options);
