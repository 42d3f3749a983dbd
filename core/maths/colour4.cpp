#include "core/maths/colour4.h"

#include "core/assertion.h"
#include "core/maths/standard.h"
#include "core/random.h"

const colour4 WHITE(1.0f, 1.0f, 1.0f, 1.0f);

namespace {

// min + span * (draw / 32767.0) in double precision, stored as a float.
float randomInSpan(float min, float span) {
    const double fraction = static_cast<double>(random15()) / static_cast<double>(RANDOM_MAX);
    return static_cast<float>(static_cast<double>(min) + static_cast<double>(span) * fraction);
}

// Reports a negative count; the callers then process no colours.
void checkCount(const int& numberOfColours) {
    ZEB_ASSERT(numberOfColours >= 0, "Number of colours must be positive");
}

float lowest(float a, float b) {
    return b < a ? b : a;
}
float highest(float a, float b) {
    return b > a ? b : a;
}

} // namespace

bool colour4::operator==(const colour4& other) const {
    return r == other.r && g == other.g && b == other.b && a == other.a;
}

void colour4::randomise(float min, float max) {
    const float span = max - min;
    r = randomInSpan(min, span);
    g = randomInSpan(min, span);
    b = randomInSpan(min, span);
    a = 1.0f;
}

void colour4::randomiseUnit() {
    randomise(0.0f, 1.0f);
}

float colour4::intensity() const {
    return (r + g + b) / 3.0f;
}

colour4& colour4::operator+=(const colour4& other) {
    r += other.r;
    g += other.g;
    b += other.b;
    a += other.a;
    return *this;
}

colour4& colour4::operator-=(const colour4& other) {
    r -= other.r;
    g -= other.g;
    b -= other.b;
    a -= other.a;
    return *this;
}

colour4& colour4::operator*=(const colour4& other) {
    r *= other.r;
    g *= other.g;
    b *= other.b;
    a *= other.a;
    return *this;
}

colour4& colour4::operator*=(float s) {
    r *= s;
    g *= s;
    b *= s;
    a *= s;
    return *this;
}

void interpolate(const colour4* a, const colour4* b, float t, colour4* out) {
    const colour4 from = *a;
    const colour4 to = *b;
    out->r = interpolate(from.r, to.r, t);
    out->g = interpolate(from.g, to.g, t);
    out->b = interpolate(from.b, to.b, t);
    out->a = interpolate(from.a, to.a, t);
}

void clampColours(float low, float high, colour4* colours, const int& count) {
    checkCount(count);
    for (int i = 0; i < count; ++i) {
        colour4& c = colours[i];
        c.r = lowest(highest(c.r, low), high);
        c.g = lowest(highest(c.g, low), high);
        c.b = lowest(highest(c.b, low), high);
        c.a = lowest(highest(c.a, low), high);
    }
}

void minimumColour(const colour4* colours, const int& count, colour4* out) {
    checkCount(count);
    colour4 result = colours[0];
    for (int i = 1; i < count; ++i) {
        result.r = lowest(result.r, colours[i].r);
        result.g = lowest(result.g, colours[i].g);
        result.b = lowest(result.b, colours[i].b);
        result.a = lowest(result.a, colours[i].a);
    }
    *out = result;
}

void maximumColour(const colour4* colours, const int& count, colour4* out) {
    checkCount(count);
    colour4 result = colours[0];
    for (int i = 1; i < count; ++i) {
        result.r = highest(result.r, colours[i].r);
        result.g = highest(result.g, colours[i].g);
        result.b = highest(result.b, colours[i].b);
        result.a = highest(result.a, colours[i].a);
    }
    *out = result;
}

void normaliseColours(const colour4* low, const colour4* high, colour4* colours, const int& count) {
    checkCount(count);
    // Copies first: low or high may be one of the colours being changed.
    const colour4 base = *low;
    colour4 range = *high;
    range -= base;
    for (int i = 0; i < count; ++i) {
        colour4& c = colours[i];
        c.r = (c.r - base.r) / range.r;
        c.g = (c.g - base.g) / range.g;
        c.b = (c.b - base.b) / range.b;
        c.a = (c.a - base.a) / range.a;
    }
}
