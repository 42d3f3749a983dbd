#pragma once

#include "core/random.h"

#include <cstdint>

// Seeds that make the generator produce a chosen draw, by running its step
// backwards: x = (x' - 2531011) * 214013^-1 (mod 2^32).
inline uint32_t inverseMultiplier() {
    const uint32_t a = 214013u;
    uint32_t inverse = a; // correct to 3 bits for odd a; each step doubles that
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - a * inverse;
    return inverse;
}

// The seed after which the draw numbered `draw` (1 = the next one) is `value`.
inline uint32_t seedForDraw(int value, int draw) {
    uint32_t state = static_cast<uint32_t>(value) << 16;
    for (int i = 0; i < draw; ++i)
        state = (state - 2531011u) * inverseMultiplier();
    return state;
}
