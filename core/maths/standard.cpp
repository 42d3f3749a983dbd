#include "core/maths/standard.h"

namespace {

constexpr double DEGREES_TO_RADIANS = 0.017453292519943295;

} // namespace

float degreesToRadians(float degrees) {
    return static_cast<float>(degrees * DEGREES_TO_RADIANS);
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
