#include "game/rules/zebobject.h"

#include <algorithm>

namespace {

// A point as a row vector (w = 1) times a row-convention matrix, z dropped.
inline void toWorld(const matrix& world, const vector3& p, float* x, float* y) {
    *x = p.x * world.m[0] + p.y * world.m[4] + p.z * world.m[8] + world.m[12];
    *y = p.x * world.m[1] + p.y * world.m[5] + p.z * world.m[9] + world.m[13];
}

// The segments P to P + m and Q0 to Q0 + a, known to lie on one line: do they share a point?
bool overlapOnLine(float px, float py, float mx, float my, float q0x, float q0y, float ax, float ay) {
    const float cx = px - q0x;
    const float cy = py - q0y;
    const float edgeLength = ax * ax + ay * ay;
    if (edgeLength > 0.0f) {
        // Positions of P and P + m along the edge, in edge lengths.
        const float t0 = (cx * ax + cy * ay) / edgeLength;
        const float t1 = ((cx + mx) * ax + (cy + my) * ay) / edgeLength;
        return std::max(std::min(t0, t1), 0.0f) <= std::min(std::max(t0, t1), 1.0f);
    }
    const float moveLength = mx * mx + my * my;
    if (moveLength > 0.0f) {
        const float s = -(cx * mx + cy * my) / moveLength; // Q0 along the sweep
        return s >= 0.0f && s <= 1.0f;
    }
    return cx == 0.0f && cy == 0.0f;
}

// Does the segment from P to P + movement meet the edge from Q0 to Q1? With
// a = Q1 - Q0, m = movement and c = Q0 - P, the meeting point is
// P + s * m = Q0 + t * a with s = d / f and t = e / f; both must lie in [0, 1].
// The bounds are inclusive and exact, without tolerance.
inline bool crosses(float px, float py, float mx, float my, float q0x, float q0y, float q1x, float q1y) {
    const float ax = q1x - q0x;
    const float ay = q1y - q0y;
    const float bx = -mx;
    const float by = -my;
    const float cx = q0x - px;
    const float cy = q0y - py;
    const float d = cx * -ay + cy * ax;    // c . a'
    const float e = -(cx * -by + cy * bx); // -(c . b')
    const float f = ax * -by + ay * bx;    // a . b'
    if (f > 0.0f)
        return d >= 0.0f && d <= f && e >= 0.0f && e <= f;
    if (f < 0.0f)
        return d <= 0.0f && d >= f && e <= 0.0f && e >= f;
    // Parallel, or no movement, or an edge of no length: the two must lie on
    // one line and overlap, not merely share the line.
    if (d != 0.0f || e != 0.0f)
        return false;
    return overlapOnLine(px, py, mx, my, q0x, q0y, ax, ay);
}

} // namespace

bool ZEBObject::create(const ZEBObjectType& type, const vector3* vertices, const int& numVertices) {
    *this = ZEBObject();
    if (vertices == nullptr || numVertices < 1)
        return false;
    m_type = type;
    m_vertices.assign(vertices, vertices + numVertices);
    m_worldVertices.resize(numVertices);
    return true;
}

bool ZEBObject::testCollision(const matrix& world, const vector3& movement, ZEBObject& other,
                              const matrix& otherWorld) {
    const int edges = other.getNumVertices();
    if (edges < 2 || m_vertices.empty())
        return false; // a single vertex has no edge to cross
    for (int l = 0; l < edges; ++l) {
        float x = 0.0f;
        float y = 0.0f;
        toWorld(otherWorld, other.m_vertices[l], &x, &y);
        other.m_worldVertices[l] = vector3(x, y, 0.0f);
    }
    const vector3* q = other.m_worldVertices.data();
    for (const vector3& vertex : m_vertices) {
        float px = 0.0f;
        float py = 0.0f;
        toWorld(world, vertex, &px, &py);
        // The last edge closes the outline from the last vertex back to the first.
        int previous = edges - 1;
        for (int l = 0; l < edges; ++l) {
            if (crosses(px, py, movement.x, movement.y, q[previous].x, q[previous].y, q[l].x, q[l].y))
                return true;
            previous = l;
        }
    }
    return false;
}
