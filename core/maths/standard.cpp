#include "core/maths/standard.h"

#include "core/assertion.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double DEGREES_TO_RADIANS = 0.017453292519943295;
constexpr double RADIANS_TO_DEGREES = 57.29577951308232;

// The product of two factorials in 32-bit arithmetic; wraps instead of overflowing.
int wrappedProduct(int a, int b) {
    return static_cast<int>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

} // namespace

float degreesToRadians(float degrees) {
    return static_cast<float>(degrees * DEGREES_TO_RADIANS);
}

float radiansToDegrees(float radians) {
    return static_cast<float>(radians * RADIANS_TO_DEGREES);
}

int absolute(int value) {
    // Negated in unsigned arithmetic: the most negative value stays itself rather than overflowing.
    return value < 0 ? static_cast<int>(0u - static_cast<uint32_t>(value)) : value;
}

int negativeAbsolute(int value) {
    return value > 0 ? -value : value;
}

float absolute(float value) {
    return std::fabs(value);
}

float clamp(float min, float max, float value) {
    return largestOf(min, min, smallestOf(max, max, value));
}

float smallestOf(float a, float b, float c) {
    if (a <= b && a <= c)
        return a;
    if (b <= a && b <= c)
        return b;
    if (c <= a && c <= b)
        return c;
    return a;
}

float largestOf(float a, float b, float c) {
    if (a >= b && a >= c)
        return a;
    if (b >= a && b >= c)
        return b;
    if (c >= a && c >= b)
        return c;
    return a;
}

float determinant3(const vector3& a, const vector3& b, const vector3& c) {
    return a.x * b.y * c.z + b.x * c.y * a.z + c.x * a.y * b.z - c.x * b.y * a.z - a.x * c.y * b.z -
           b.x * c.z * a.y;
}

float scalarTriple(const vector3& a, const vector3& b, const vector3& c) {
    vector3 perpendicular;
    cross(&b, &c, &perpendicular);
    float result = 0.0f;
    dot(&a, &perpendicular, &result);
    return result;
}

void dotProduct(const vector3& a, const vector3& b, float* out) {
    dot(&a, &b, out);
}

int factorial(int number) {
    if (!ZEB_ASSERT(number >= 0, "Number must be positive"))
        return 1;
    uint32_t product = 1;
    for (int i = 2; i <= number; ++i)
        product *= static_cast<uint32_t>(i);
    return static_cast<int>(product);
}

float binomial(int rowIndex, int elementIndex) {
    ZEB_ASSERT(rowIndex >= 0, "Index must be valid");
    ZEB_ASSERT(elementIndex >= 0, "Index must be valid");
    ZEB_ASSERT(elementIndex <= rowIndex, "Element Index must not be more than Row Index");
    const float numerator = static_cast<float>(factorial(rowIndex));
    const int denominator = wrappedProduct(factorial(elementIndex), factorial(rowIndex - elementIndex));
    return numerator / static_cast<float>(denominator);
}

float interpolate(float a, float b, float t) {
    return (1.0f - t) * a + t * b;
}
