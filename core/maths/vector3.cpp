#include "core/maths/vector3.h"

#include "core/assertion.h"
#include "core/random.h"

#include <cmath>

const vector3 ZERO(0.0f, 0.0f, 0.0f);

namespace {

constexpr float UNIT_LOW = 0.999f;
constexpr float UNIT_HIGH = 1.001f;

// min + span * (draw / 32767.0) in double precision, stored as a float.
float randomInSpan(float min, float span) {
    const double fraction = static_cast<double>(random15()) / static_cast<double>(RANDOM_MAX);
    return static_cast<float>(static_cast<double>(min) + static_cast<double>(span) * fraction);
}

float lengthOf(const vector3& a) {
    const float sum = a.x * a.x + a.y * a.y + a.z * a.z;
    return std::sqrt(sum);
}

} // namespace

bool vector3::operator==(const vector3& other) const {
    return x == other.x && y == other.y && z == other.z;
}

void vector3::randomise(float min, float max) {
    const float span = max - min;
    x = randomInSpan(min, span);
    y = randomInSpan(min, span);
    z = randomInSpan(min, span);
}

void vector3::normalise() {
    const float length = lengthOf(*this);
    x /= length;
    y /= length;
    z /= length;
}

bool vector3::isUnit() const {
    const float length = lengthOf(*this);
    return length >= UNIT_LOW && length <= UNIT_HIGH;
}

void add(const vector3* a, const vector3* b, vector3* out) {
    out->x = a->x + b->x;
    out->y = a->y + b->y;
    out->z = a->z + b->z;
}

void subtract(const vector3* a, const vector3* b, vector3* out) {
    out->x = a->x - b->x;
    out->y = a->y - b->y;
    out->z = a->z - b->z;
}

void scale(const vector3* a, float s, vector3* out) {
    out->x = a->x * s;
    out->y = a->y * s;
    out->z = a->z * s;
}

void dot(const vector3* a, const vector3* b, float* out) {
    *out = a->x * b->x + a->y * b->y + a->z * b->z;
}

void magnitude(const vector3* a, float* out) {
    *out = lengthOf(*a);
}

void normalise(const vector3* a, vector3* out) {
    const float length = lengthOf(*a);
    out->x = a->x / length;
    out->y = a->y / length;
    out->z = a->z / length;
}

void interpolate(const vector3* a, const vector3* b, float t, vector3* out) {
    ZEB_ASSERT(t >= 0.0f && t <= 1.0f, "T must be between 0 and 1");
    const float rest = 1.0f - t;
    out->x = a->x * t + b->x * rest;
    out->y = a->y * t + b->y * rest;
    out->z = a->z * t + b->z * rest;
}
