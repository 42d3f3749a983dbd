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
    void randomiseUnit();                 // randomise(0, 1)
    float intensity() const;

    colour4& operator+=(const colour4& other);
    colour4& operator-=(const colour4& other);
    colour4& operator*=(const colour4& other);
    colour4& operator*=(float s); // alpha included
};
static_assert(sizeof(colour4) == 16, "colour4 must stay four packed floats");

extern const colour4 WHITE;

void interpolate(const colour4* a, const colour4* b, float t, colour4* out); // t = 0 gives a
void clampColours(float low, float high, colour4* colours, const int& count);
void minimumColour(const colour4* colours, const int& count, colour4* out);
void maximumColour(const colour4* colours, const int& count, colour4* out);
void normaliseColours(const colour4* low, const colour4* high, colour4* colours, const int& count);
