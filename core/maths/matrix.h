#pragma once

#include "core/maths/vector3.h"

// 16 single-precision floats, row-major: element (row, column) at 4 * row + column.
// Transforms are built in the row-vector convention (p' = p * M), while the
// transform functions below multiply a column vector from the right (p' = M * p).
struct matrix {
    float m[16];

    float& operator()(int row, int column) { return m[4 * row + column]; }
    const float& operator()(int row, int column) const { return m[4 * row + column]; }
    bool operator==(const matrix& other) const;
};
static_assert(sizeof(matrix) == 64, "matrix must stay 16 packed floats");

extern const matrix IDENTITY;

void multiply(const matrix* a, const matrix* b, matrix* out); // out may alias a or b
void transpose(const matrix* m, matrix* out);                 // out may be m
void transformPoint(const matrix* m, const vector3* p, vector3* out);
void transformPointDivide(const matrix* m, const vector3* p, vector3* out);
void transformDirection(const matrix* m, const vector3* d, vector3* out);
void rotationZ(float angle, matrix* out);
void translation(const vector3* v, matrix* out);
