#include "core/maths/matrix.h"

#include <cmath>

bool quaternion::operator==(const quaternion& other) const {
    return x == other.x && y == other.y && z == other.z && w == other.w;
}

quaternion quaternion::operator*(const quaternion& other) const {
    const quaternion& q = other;
    return quaternion(w * q.x + q.w * x + y * q.z - q.y * z, w * q.y - x * q.z + q.w * y + q.x * z,
                      w * q.z + x * q.y - q.x * y + q.w * z, w * q.w - x * q.x - y * q.y - z * q.z);
}

quaternion quaternion::operator*(float s) const {
    return quaternion(x * s, y * s, z * s, w * s);
}

quaternion quaternion::operator+(const quaternion& other) const {
    return quaternion(x + other.x, y + other.y, z + other.z, w + other.w);
}

quaternion quaternion::operator-(const quaternion& other) const {
    return quaternion(x - other.x, y - other.y, z - other.z, w - other.w);
}

void quaternion::setAxisAngle(float angle, const vector3& axis) {
    const float s = std::sin(angle);
    w = std::cos(angle);
    x = s * axis.x;
    y = s * axis.y;
    z = s * axis.z;
}

float quaternion::length() const {
    const float sum = x * x + y * y + z * z + w * w;
    return sum > 0.0f ? std::sqrt(sum) : 0.0f;
}

void quaternion::normalise() {
    const float size = length();
    if (size > 0.0f) {
        x /= size;
        y /= size;
        z /= size;
        w /= size;
    }
}

quaternion quaternion::interpolate(const quaternion& other, float t) const {
    return *this * (1.0f - t) + other * t;
}

quaternion quaternion::withUnitW() const {
    quaternion copy = *this;
    if (x == 0.0f && y == 0.0f && z == 0.0f)
        copy.w = 1.0f;
    return copy;
}

quaternion quaternion::withZeroW() const {
    quaternion copy = *this;
    if (x == 0.0f && y == 0.0f && z == 0.0f)
        copy.w = 0.0f;
    return copy;
}

bool quaternion::isIdentity() const {
    return w == 1.0f && x == 0.0f && y == 0.0f && z == 0.0f;
}

bool quaternion::isZero() const {
    return x == 0.0f && y == 0.0f && z == 0.0f && w == 0.0f;
}
