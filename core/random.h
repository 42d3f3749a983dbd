#pragma once

#include <cstdint>

// The game's one pseudo-random source: x = x * 214013 + 2531011 (mod 2^32),
// result (x >> 16) & 0x7FFF. Same values on every platform, so a seeded run
// replays exactly. The C library's rand() is never used.
constexpr int RANDOM_MAX = 32767;

void seedRandom(uint32_t seed);
int random15();            // 0 to RANDOM_MAX, both ends reachable
uint32_t getRandomState(); // for tests that replay a sequence
