#include "core/maths/colour4.h"

#include "core/random.h"

const colour4 WHITE(1.0f, 1.0f, 1.0f, 1.0f);

namespace {

// min + span * (draw / 32767.0) in double precision, stored as a float.
float randomInSpan(float min, float span) {
    const double fraction = static_cast<double>(random15()) / static_cast<double>(RANDOM_MAX);
    return static_cast<float>(static_cast<double>(min) + static_cast<double>(span) * fraction);
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
