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

struct quaternion {
    float x;
    float y;
    float z;
    float w;

    quaternion() : x(0.0f), y(0.0f), z(0.0f), w(1.0f) {}
    quaternion(float X, float Y, float Z, float W) : x(X), y(Y), z(Z), w(W) {}

    bool operator==(const quaternion& other) const;
    quaternion operator*(const quaternion& other) const; // product
    quaternion operator*(float s) const;
    quaternion operator+(const quaternion& other) const;
    quaternion operator-(const quaternion& other) const;

    void setAxisAngle(float angle, const vector3& axis); // angle used whole, axis not normalised
    float length() const;
    void normalise(); // unchanged when the length is 0
    quaternion interpolate(const quaternion& other, float t) const;
    quaternion withUnitW() const; // w forced to 1 when x, y, z are all 0
    quaternion withZeroW() const; // w forced to 0 when x, y, z are all 0
    bool isIdentity() const;
    bool isZero() const;
};

void setIdentity(matrix* out);
void multiply(const matrix* a, const matrix* b, matrix* out); // out may alias a or b
void multiplyScalar(const matrix* m, float s, matrix* out);
void transpose(const matrix* m, matrix* out); // out may be m
void inverse(const matrix* m, matrix* out);   // no test for a zero determinant
void transformPoint(const matrix* m, const vector3* p, vector3* out);
void transformPointDivide(const matrix* m, const vector3* p, vector3* out);
void transformDirection(const matrix* m, const vector3* d, vector3* out);
void rotationX(float angle, matrix* out);
void rotationY(float angle, matrix* out);
void rotationZ(float angle, matrix* out);
void translation(const vector3* v, matrix* out);
void transformFromEuler(const vector3* position, const vector3* angles, matrix* out);
void rotationFromQuaternion(const quaternion* q, matrix* out);
void matrixFromColumns(const vector3* a, const vector3* b, const vector3* c, matrix* out);
