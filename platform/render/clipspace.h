#pragma once

#include "core/maths/matrix.h"
#include "core/maths/vector3.h"

// A homogeneous point after the view and projection transforms.
struct clipPoint {
    float x;
    float y;
    float z;
    float w;
};

// p as a row vector with w = 1, times m (row-vector convention).
clipPoint toClipSpace(const vector3& p, const matrix& m);

// Clips the segment a-b to the near and far planes (0 <= z <= w), to w > 0 and
// to a guard band of CLIP_GUARD_BAND times the viewport, so the screen
// coordinates stay small and finite. On success t0 <= t1 give the kept part
// of the segment as a + t (b - a); false when nothing is left.
constexpr float CLIP_GUARD_BAND = 4.0f;
bool clipSegment(const clipPoint& a, const clipPoint& b, float* t0, float* t1);

clipPoint lerp(const clipPoint& a, const clipPoint& b, float t);
