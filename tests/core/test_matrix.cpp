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

    matrix x;
    rotationX(PI / 2.0f, &x);
    const vector3 yTurned = rowTimes(vector3(0.0f, 1.0f, 0.0f), x);
    EXPECT_NEAR(yTurned.z, 1.0f, 1e-6f);
    matrix y;
    rotationY(PI / 2.0f, &y);
    const vector3 zTurned = rowTimes(vector3(0.0f, 0.0f, 1.0f), y);
    EXPECT_NEAR(zTurned.x, 1.0f, 1e-6f);
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

    multiplyScalar(&t, 2.0f, &t);
    EXPECT_EQ(t(1, 2), 2.0f * a(2, 1));
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

TEST(Matrix, EulerTransformIsRotationsThenTranslation) {
    const vector3 position(3.0f, -2.0f, 1.0f);
    const vector3 angles(0.1f, 0.2f, 0.3f);
    matrix built;
    transformFromEuler(&position, &angles, &built);

    matrix x;
    matrix y;
    matrix z;
    matrix t;
    rotationX(angles.x, &x);
    rotationY(angles.y, &y);
    rotationZ(angles.z, &z);
    translation(&position, &t);
    matrix expected;
    multiply(&x, &y, &expected);
    multiply(&expected, &z, &expected);
    multiply(&expected, &t, &expected);
    EXPECT_EQ(built, expected);
    EXPECT_EQ(rowTimes(ZERO, built), position);
}

TEST(Matrix, Inverse) {
    matrix out;
    inverse(&IDENTITY, &out);
    EXPECT_EQ(out, IDENTITY);

    matrix rotation;
    const vector3 angles(0.4f, -1.1f, 2.0f);
    transformFromEuler(&ZERO, &angles, &rotation);
    matrix transposed;
    transpose(&rotation, &transposed);
    inverse(&rotation, &out);
    expectNear(out, transposed, 1e-6f);

    matrix general = sample();
    general.m[0] = 10.0f; // keeps it well away from singular
    matrix product;
    inverse(&general, &out);
    multiply(&general, &out, &product);
    expectNear(product, IDENTITY, 1e-5f);
    multiply(&out, &general, &product);
    expectNear(product, IDENTITY, 1e-5f);

    matrix aliased = general;
    inverse(&aliased, &aliased);
    EXPECT_EQ(aliased, out);

    matrix singular = IDENTITY;
    singular(2, 2) = 0.0f;
    inverse(&singular, &out);
    EXPECT_FALSE(std::isfinite(out(0, 0)));
}

TEST(Matrix, ColumnsAndQuaternionRotation) {
    const vector3 a(1.0f, 2.0f, 3.0f);
    const vector3 b(4.0f, 5.0f, 6.0f);
    const vector3 c(7.0f, 8.0f, 9.0f);
    matrix m;
    matrixFromColumns(&a, &b, &c, &m);
    EXPECT_EQ(m(2, 0), 3.0f);
    EXPECT_EQ(m(0, 1), 4.0f);
    EXPECT_EQ(m(1, 2), 8.0f);
    EXPECT_EQ(m(3, 3), 1.0f);
    EXPECT_EQ(m(0, 3), 0.0f);

    // The angle is used whole, so the matrix turns by twice the angle.
    quaternion q;
    q.setAxisAngle(0.35f, vector3(0.0f, 0.0f, 1.0f));
    matrix fromQuaternion;
    rotationFromQuaternion(&q, &fromQuaternion);
    matrix expected;
    rotationZ(0.7f, &expected);
    expectNear(fromQuaternion, expected, 1e-6f);
    // The quaternion is normalised first.
    const quaternion scaled = q * 3.0f;
    rotationFromQuaternion(&scaled, &m);
    expectNear(m, fromQuaternion, 1e-6f);
}

TEST(Quaternion, ProductLengthAndSpecialCopies) {
    const quaternion i(1.0f, 0.0f, 0.0f, 0.0f);
    const quaternion j(0.0f, 1.0f, 0.0f, 0.0f);
    EXPECT_EQ(i * j, quaternion(0.0f, 0.0f, 1.0f, 0.0f));
    EXPECT_EQ(j * i, quaternion(0.0f, 0.0f, -1.0f, 0.0f));
    EXPECT_EQ(i * i, quaternion(0.0f, 0.0f, 0.0f, -1.0f));
    EXPECT_TRUE(quaternion().isIdentity());

    quaternion zero(0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(zero.isZero());
    zero.normalise();
    EXPECT_TRUE(zero.isZero());
    EXPECT_EQ(zero.withUnitW(), quaternion());
    EXPECT_TRUE(quaternion().withZeroW().isZero());
    EXPECT_EQ(i.withUnitW(), i);

    quaternion q(0.0f, 3.0f, 0.0f, 4.0f);
    EXPECT_EQ(q.length(), 5.0f);
    q.normalise();
    EXPECT_EQ(q, quaternion(0.0f, 0.6f, 0.0f, 0.8f));
    EXPECT_EQ(i.interpolate(j, 0.25f), quaternion(0.75f, 0.25f, 0.0f, 0.0f));
    EXPECT_EQ(i + j - i, j);
}
