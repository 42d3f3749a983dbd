#include "core/maths/vector3.h"

#include "core/assertion.h"
#include "core/random.h"

#include <cmath>

const vector3 ZERO(0.0f, 0.0f, 0.0f);

namespace {

constexpr double DEGREES_TO_RADIANS = 0.017453292519943295;
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

void vector3::randomiseUnit() {
    randomise(-1.0f, 1.0f);
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

void vector3::toSpherical() {
    const float r = lengthOf(*this);
    const float theta = std::atan(y / x);
    const float phi = std::acos(z / r);
    x = r;
    y = theta;
    z = phi;
}

void vector3::toCartesian() {
    const float r = x;
    const float theta = y;
    const float phi = z;
    x = r * std::sin(phi) * std::cos(theta);
    y = r * std::sin(phi) * std::sin(theta);
    z = r * std::cos(phi);
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

void multiply(const vector3* a, const vector3* b, vector3* out) {
    out->x = a->x * b->x;
    out->y = a->y * b->y;
    out->z = a->z * b->z;
}

void dot(const vector3* a, const vector3* b, float* out) {
    *out = a->x * b->x + a->y * b->y + a->z * b->z;
}

void cross(const vector3* a, const vector3* b, vector3* out) {
    // Copies first: out may be a or b.
    const vector3 u = *a;
    const vector3 v = *b;
    out->x = u.y * v.z - u.z * v.y;
    out->y = -(u.x * v.z - u.z * v.x);
    out->z = u.x * v.y - u.y * v.x;
}

void magnitude(const vector3* a, float* out) {
    *out = lengthOf(*a);
}

void magnitudeSquared(const vector3* a, float* out) {
    *out = a->x * a->x + a->y * a->y + a->z * a->z;
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

void reflect(const vector3* incident, const vector3* normal, vector3* out) {
    const vector3 n = *normal;
    vector3 p;
    subtract(&ZERO, incident, &p);
    float d = 0.0f;
    dot(&n, &p, &d);
    d *= 2.0f;
    vector3 r;
    scale(&n, d, &r);
    subtract(&r, &p, out);
}

void minimum(const vector3* a, const vector3* b, vector3* out) {
    out->x = b->x < a->x ? b->x : a->x;
    out->y = b->y < a->y ? b->y : a->y;
    out->z = b->z < a->z ? b->z : a->z;
}

void maximum(const vector3* a, const vector3* b, vector3* out) {
    out->x = b->x > a->x ? b->x : a->x;
    out->y = b->y > a->y ? b->y : a->y;
    out->z = b->z > a->z ? b->z : a->z;
}

float smallestComponent(const vector3* a) {
    if (a->x <= a->y && a->x <= a->z)
        return a->x;
    if (a->y <= a->x && a->y <= a->z)
        return a->y;
    if (a->z <= a->x && a->z <= a->y)
        return a->z;
    return a->x;
}

float largestComponent(const vector3* a) {
    if (a->x >= a->y && a->x >= a->z)
        return a->x;
    if (a->y >= a->x && a->y >= a->z)
        return a->y;
    if (a->z >= a->x && a->z >= a->y)
        return a->z;
    return a->x;
}

void degreesToRadians(const vector3* a, vector3* out) {
    out->x = static_cast<float>(a->x * DEGREES_TO_RADIANS);
    out->y = static_cast<float>(a->y * DEGREES_TO_RADIANS);
    out->z = static_cast<float>(a->z * DEGREES_TO_RADIANS);
}
