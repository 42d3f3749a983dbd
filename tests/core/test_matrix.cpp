#include "core/maths/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float PI = 3.14159265358979f;

// p · M for a row vector, as the game does it: transformPoint with the transpose.
vector3 rowTimes(const vector3& p, const matrix& m) {
    matrix t;
    transpose(&m, &t);
    vector3 out;
    transformPoint(&t, &p, &out);
    return out;
}

void expectNear(const matrix& actual, const matrix& expected, float tolerance) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
}

matrix sample() {
    matrix m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = static_cast<float>((i * 7) % 11) - 4.0f;
    return m;
}

} // namespace

TEST(Matrix, RotationZTurnsXTowardsYUnderRowVectors) {
    matrix r;
    rotationZ(PI / 2.0f, &r);
    const vector3 turned = rowTimes(vector3(1.0f, 0.0f, 0.0f), r);
    EXPECT_NEAR(turned.x, 0.0f, 1e-6f);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6f);
    EXPECT_EQ(turned.z, 0.0f);
}

TEST(Matrix, TransformsOfATransposedTranslation) {
    matrix t;
    const vector3 offset(5.0f, 6.0f, 7.0f);
    translation(&offset, &t);
    transpose(&t, &t);
    vector3 p(1.0f, 1.0f, 1.0f);
    vector3 out;
    transformPoint(&t, &p, &out);
    EXPECT_EQ(out, vector3(6.0f, 7.0f, 8.0f));
    transformDirection(&t, &p, &out);
    EXPECT_EQ(out, vector3(1.0f, 1.0f, 1.0f));
    transformPoint(&t, &p, &p);
    EXPECT_EQ(p, vector3(6.0f, 7.0f, 8.0f));
}

TEST(Matrix, TransformPointDivideOnlyWhenWIsNotZero) {
    matrix m = IDENTITY;
    m(3, 3) = 2.0f;
    const vector3 p(2.0f, 4.0f, 6.0f);
    vector3 out;
    transformPointDivide(&m, &p, &out);
    EXPECT_EQ(out, vector3(1.0f, 2.0f, 3.0f));
    m(3, 3) = 0.0f;
    transformPointDivide(&m, &p, &out);
    EXPECT_EQ(out, p);
}

TEST(Matrix, MultiplyAndTransposeWithAliasedOutputs) {
    const matrix a = sample();
    matrix b;
    transpose(&a, &b);
    b.m[5] = 9.0f;
    matrix separate;
    multiply(&a, &b, &separate);

    matrix left = a;
    multiply(&left, &b, &left);
    EXPECT_EQ(left, separate);
    matrix right = b;
    multiply(&a, &right, &right);
    EXPECT_EQ(right, separate);
    matrix both = a;
    matrix square;
    multiply(&a, &a, &square);
    multiply(&both, &both, &both);
    EXPECT_EQ(both, square);

    matrix t = a;
    transpose(&t, &t);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(t(row, column), a(column, row));
    }
}

TEST(Matrix, ProductsComposeTransforms) {
    matrix first;
    matrix second;
    const vector3 u(1.0f, 2.0f, 3.0f);
    const vector3 v(-4.0f, 0.5f, 8.0f);
    translation(&u, &first);
    translation(&v, &second);
    matrix product;
    multiply(&first, &second, &product);
    matrix expected;
    const vector3 sum(-3.0f, 2.5f, 11.0f);
    translation(&sum, &expected);
    EXPECT_EQ(product, expected);

    rotationZ(0.3f, &first);
    rotationZ(0.5f, &second);
    multiply(&first, &second, &product);
    rotationZ(0.8f, &expected);
    expectNear(product, expected, 1e-6f);
}
