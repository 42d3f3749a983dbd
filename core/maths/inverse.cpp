#include "core/maths/matrix.h"

// Cramer's rule in the cofactor arrangement: pair products of two rows of the
// transposed source feed eight cofactors at a time. A singular matrix divides by
// zero and yields non-finite elements.
void inverse(const matrix* m, matrix* out) {
    float src[16];
    for (int i = 0; i < 4; ++i) {
        src[i] = m->m[i * 4];
        src[i + 4] = m->m[i * 4 + 1];
        src[i + 8] = m->m[i * 4 + 2];
        src[i + 12] = m->m[i * 4 + 3];
    }

    float pair[12];
    float dst[16];
    pair[0] = src[10] * src[15];
    pair[1] = src[11] * src[14];
    pair[2] = src[9] * src[15];
    pair[3] = src[11] * src[13];
    pair[4] = src[9] * src[14];
    pair[5] = src[10] * src[13];
    pair[6] = src[8] * src[15];
    pair[7] = src[11] * src[12];
    pair[8] = src[8] * src[14];
    pair[9] = src[10] * src[12];
    pair[10] = src[8] * src[13];
    pair[11] = src[9] * src[12];

    dst[0] = pair[0] * src[5] + pair[3] * src[6] + pair[4] * src[7];
    dst[0] -= pair[1] * src[5] + pair[2] * src[6] + pair[5] * src[7];
    dst[1] = pair[1] * src[4] + pair[6] * src[6] + pair[9] * src[7];
    dst[1] -= pair[0] * src[4] + pair[7] * src[6] + pair[8] * src[7];
    dst[2] = pair[2] * src[4] + pair[7] * src[5] + pair[10] * src[7];
    dst[2] -= pair[3] * src[4] + pair[6] * src[5] + pair[11] * src[7];
    dst[3] = pair[5] * src[4] + pair[8] * src[5] + pair[11] * src[6];
    dst[3] -= pair[4] * src[4] + pair[9] * src[5] + pair[10] * src[6];
    dst[4] = pair[1] * src[1] + pair[2] * src[2] + pair[5] * src[3];
    dst[4] -= pair[0] * src[1] + pair[3] * src[2] + pair[4] * src[3];
    dst[5] = pair[0] * src[0] + pair[7] * src[2] + pair[8] * src[3];
    dst[5] -= pair[1] * src[0] + pair[6] * src[2] + pair[9] * src[3];
    dst[6] = pair[3] * src[0] + pair[6] * src[1] + pair[11] * src[3];
    dst[6] -= pair[2] * src[0] + pair[7] * src[1] + pair[10] * src[3];
    dst[7] = pair[4] * src[0] + pair[9] * src[1] + pair[10] * src[2];
    dst[7] -= pair[5] * src[0] + pair[8] * src[1] + pair[11] * src[2];

    pair[0] = src[2] * src[7];
    pair[1] = src[3] * src[6];
    pair[2] = src[1] * src[7];
    pair[3] = src[3] * src[5];
    pair[4] = src[1] * src[6];
    pair[5] = src[2] * src[5];
    pair[6] = src[0] * src[7];
    pair[7] = src[3] * src[4];
    pair[8] = src[0] * src[6];
    pair[9] = src[2] * src[4];
    pair[10] = src[0] * src[5];
    pair[11] = src[1] * src[4];

    dst[8] = pair[0] * src[13] + pair[3] * src[14] + pair[4] * src[15];
    dst[8] -= pair[1] * src[13] + pair[2] * src[14] + pair[5] * src[15];
    dst[9] = pair[1] * src[12] + pair[6] * src[14] + pair[9] * src[15];
    dst[9] -= pair[0] * src[12] + pair[7] * src[14] + pair[8] * src[15];
    dst[10] = pair[2] * src[12] + pair[7] * src[13] + pair[10] * src[15];
    dst[10] -= pair[3] * src[12] + pair[6] * src[13] + pair[11] * src[15];
    dst[11] = pair[5] * src[12] + pair[8] * src[13] + pair[11] * src[14];
    dst[11] -= pair[4] * src[12] + pair[9] * src[13] + pair[10] * src[14];
    dst[12] = pair[2] * src[10] + pair[5] * src[11] + pair[1] * src[9];
    dst[12] -= pair[4] * src[11] + pair[0] * src[9] + pair[3] * src[10];
    dst[13] = pair[8] * src[11] + pair[0] * src[8] + pair[7] * src[10];
    dst[13] -= pair[6] * src[10] + pair[9] * src[11] + pair[1] * src[8];
    dst[14] = pair[6] * src[9] + pair[11] * src[11] + pair[3] * src[8];
    dst[14] -= pair[10] * src[11] + pair[2] * src[8] + pair[7] * src[9];
    dst[15] = pair[10] * src[10] + pair[4] * src[8] + pair[9] * src[9];
    dst[15] -= pair[8] * src[9] + pair[11] * src[10] + pair[5] * src[8];

    const float determinant = src[0] * dst[0] + src[1] * dst[1] + src[2] * dst[2] + src[3] * dst[3];
    const float reciprocal = 1.0f / determinant;
    for (int i = 0; i < 16; ++i)
        out->m[i] = dst[i] * reciprocal;
}
