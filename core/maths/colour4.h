#pragma once

// Red, green, blue, alpha, nominally in [0, 1]; nothing clamps them.
struct colour4 {
    float r;
    float g;
    float b;
    float a;

    colour4() : r(0.0f), g(0.0f), b(0.0f), a(0.0f) {}
    colour4(const float& R, const float& G, const float& B, const float& A) : r(R), g(G), b(B), a(A) {}

    bool operator==(const colour4& other) const;
    bool operator!=(const colour4& other) const { return !(*this == other); }

    void randomise(float min, float max); // draws red, green, blue in that order; alpha = 1
};
static_assert(sizeof(colour4) == 16, "colour4 must stay four packed floats");

extern const colour4 WHITE;
