#include "platform/render/clipspace.h"

namespace {

constexpr float MIN_W = 1.0e-6f;
constexpr int CLIP_PLANES = 7;

// Signed distance of p to plane i; the inside is where it is >= 0.
float planeDistance(const clipPoint& p, int plane) {
    switch (plane) {
    case 0:
        return p.z; // near
    case 1:
        return p.w - p.z; // far
    case 2:
        return p.w - MIN_W;
    case 3:
        return CLIP_GUARD_BAND * p.w - p.x;
    case 4:
        return CLIP_GUARD_BAND * p.w + p.x;
    case 5:
        return CLIP_GUARD_BAND * p.w - p.y;
    default:
        return CLIP_GUARD_BAND * p.w + p.y;
    }
}

} // namespace

clipPoint toClipSpace(const vector3& p, const matrix& m) {
    clipPoint c;
    c.x = p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0);
    c.y = p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1);
    c.z = p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2);
    c.w = p.x * m(0, 3) + p.y * m(1, 3) + p.z * m(2, 3) + m(3, 3);
    return c;
}

bool clipSegment(const clipPoint& a, const clipPoint& b, float* t0, float* t1) {
    *t0 = 0.0f;
    *t1 = 1.0f;
    for (int plane = 0; plane < CLIP_PLANES; ++plane) {
        const float da = planeDistance(a, plane);
        const float db = planeDistance(b, plane);
        // Written so that NaN distances reject the segment.
        if (!(da >= 0.0f) && !(db >= 0.0f))
            return false;
        if (!(da >= 0.0f)) {
            const float t = da / (da - db);
            if (!(t <= *t1))
                return false;
            if (t > *t0)
                *t0 = t;
        } else if (!(db >= 0.0f)) {
            const float t = da / (da - db);
            if (!(t >= *t0))
                return false;
            if (t < *t1)
                *t1 = t;
        }
    }
    return *t0 <= *t1;
}

clipPoint lerp(const clipPoint& a, const clipPoint& b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t};
}
