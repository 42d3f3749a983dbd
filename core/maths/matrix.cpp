#include "core/maths/matrix.h"

#include <cmath>

const matrix IDENTITY = {
    {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}};

bool matrix::operator==(const matrix& other) const {
    for (int i = 0; i < 16; ++i) {
        if (m[i] != other.m[i])
            return false;
    }
    return true;
}

void multiply(const matrix* a, const matrix* b, matrix* out) {
    matrix result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            result(row, column) = (*a)(row, 0) * (*b)(0, column) + (*a)(row, 1) * (*b)(1, column) +
                                  (*a)(row, 2) * (*b)(2, column) + (*a)(row, 3) * (*b)(3, column);
        }
    }
    *out = result;
}

void transpose(const matrix* m, matrix* out) {
    matrix result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column)
            result(row, column) = (*m)(column, row);
    }
    *out = result;
}

void transformPoint(const matrix* m, const vector3* p, vector3* out) {
    const vector3 v = *p;
    out->x = (*m)(0, 0) * v.x + (*m)(0, 1) * v.y + (*m)(0, 2) * v.z + (*m)(0, 3);
    out->y = (*m)(1, 0) * v.x + (*m)(1, 1) * v.y + (*m)(1, 2) * v.z + (*m)(1, 3);
    out->z = (*m)(2, 0) * v.x + (*m)(2, 1) * v.y + (*m)(2, 2) * v.z + (*m)(2, 3);
}

void transformPointDivide(const matrix* m, const vector3* p, vector3* out) {
    const vector3 v = *p;
    const float w = (*m)(3, 0) * v.x + (*m)(3, 1) * v.y + (*m)(3, 2) * v.z + (*m)(3, 3);
    transformPoint(m, &v, out);
    if (w != 0.0f) {
        out->x /= w;
        out->y /= w;
        out->z /= w;
    }
}

void transformDirection(const matrix* m, const vector3* d, vector3* out) {
    const vector3 v = *d;
    out->x = (*m)(0, 0) * v.x + (*m)(0, 1) * v.y + (*m)(0, 2) * v.z;
    out->y = (*m)(1, 0) * v.x + (*m)(1, 1) * v.y + (*m)(1, 2) * v.z;
    out->z = (*m)(2, 0) * v.x + (*m)(2, 1) * v.y + (*m)(2, 2) * v.z;
}

void rotationZ(float angle, matrix* out) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    *out = IDENTITY;
    (*out)(0, 0) = c;
    (*out)(0, 1) = s;
    (*out)(1, 0) = -s;
    (*out)(1, 1) = c;
}

void translation(const vector3* v, matrix* out) {
    const vector3 t = *v;
    *out = IDENTITY;
    (*out)(3, 0) = t.x;
    (*out)(3, 1) = t.y;
    (*out)(3, 2) = t.z;
}
