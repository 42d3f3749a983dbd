#pragma once

// Three single-precision floats, nothing else: arrays of vector3 are used
// directly as position-only vertex data with a stride of 12 bytes.
struct vector3 {
    float x;
    float y;
    float z;

    vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    vector3(const float& X, const float& Y, const float& Z) : x(X), y(Y), z(Z) {}

    bool operator==(const vector3& other) const;
    bool operator!=(const vector3& other) const { return !(*this == other); }

    void randomise(float min, float max); // draws x, y, z in that order
    void normalise();                     // no test for a zero vector
    bool isUnit() const;                  // magnitude in [0.999, 1.001]
};
static_assert(sizeof(vector3) == 12, "vector3 must stay three packed floats");

extern const vector3 ZERO;

// Free functions: inputs by pointer, result through the last argument; the
// output may be one of the inputs.
void add(const vector3* a, const vector3* b, vector3* out);
void subtract(const vector3* a, const vector3* b, vector3* out);
void scale(const vector3* a, float s, vector3* out);
void dot(const vector3* a, const vector3* b, float* out);
void magnitude(const vector3* a, float* out);
void normalise(const vector3* a, vector3* out);
void interpolate(const vector3* a, const vector3* b, float t, vector3* out); // t = 1 gives a
