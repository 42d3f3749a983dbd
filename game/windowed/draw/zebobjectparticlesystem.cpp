#include "game/windowed/draw/zebobjectparticlesystem.h"

#include "core/maths/matrix.h"
#include "core/maths/standard.h"
#include "core/random.h"
#include "drawing/linedraw.h"
#include "game/rules/zebobject.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float CUT_SPREAD = 0.75f;
constexpr float CUT_OFFSET = 0.125f;         // cuts fall between 0.125 and 0.875 along an edge
constexpr float MAX_ROTATION_SPEED = 180.0f; // degrees per second
constexpr int LINE_VERTICES = 2;

float randomFraction() {
    return static_cast<float>(random15()) / static_cast<float>(RANDOM_MAX);
}

matrix scaling(float sx, float sy, float sz) {
    matrix m = IDENTITY;
    m(0, 0) = sx;
    m(1, 1) = sy;
    m(2, 2) = sz;
    return m;
}

// scale * rotation about z * translation, row-vector convention.
matrix ringTransform(float ringScale, float rotationDegrees, const vector3& position) {
    const matrix s = scaling(ringScale, ringScale, 1.0f);
    matrix r;
    rotationZ(degreesToRadians(rotationDegrees), &r);
    matrix t;
    translation(&position, &t);
    matrix world;
    multiply(&s, &r, &world);
    multiply(&world, &t, &world);
    return world;
}

ZEBParticleLine makeHalf(const vector3& start, const vector3& end, float speed) {
    const float rotationSpeed = randomFraction() * MAX_ROTATION_SPEED;
    vector3 velocity;
    velocity.randomise(-speed, speed);
    return ZEBParticleLine(start, end, velocity, rotationSpeed);
}

} // namespace

float limitExplosionDuration(float duration) {
    if (!(duration > 0.0f))
        return 0.0f;
    return std::min(duration, MAX_EXPLOSION_DURATION);
}

ZEBParticleLine::ZEBParticleLine(const vector3& start, const vector3& end, const vector3& velocity,
                                 const float& rotationSpeed)
    : m_rotation(0.0f), m_velocity(velocity), m_rotationSpeed(rotationSpeed) {
    vector3 sum;
    add(&start, &end, &sum);
    scale(&sum, 0.5f, &m_position);
    vector3 ends[LINE_VERTICES];
    subtract(&start, &m_position, &ends[0]);
    subtract(&end, &m_position, &ends[1]);
    m_vertexBuffer.create(ends, LINE_VERTICES);
}

void ZEBParticleLine::update(const float& dt) {
    vector3 step;
    scale(&m_velocity, dt, &step);
    add(&m_position, &step, &m_position);
    m_rotation += dt * m_rotationSpeed;
}

void ZEBParticleLine::draw(const colour4& colour) const {
    matrix rotation;
    rotationZ(degreesToRadians(m_rotation), &rotation);
    matrix place;
    translation(&m_position, &place);
    matrix world;
    multiply(&rotation, &place, &world);
    drawWorldLineStrip(m_vertexBuffer, 1, world, colour);
}

ZEBObjectParticleSystem::ZEBObjectParticleSystem(const float& duration, const ZEBObject& shape,
                                                 const vector3& position, const float& rotation,
                                                 const float& scale, const colour4& colour)
    : m_colour(colour), m_active(true), m_elapsed(0.0f), m_duration(limitExplosionDuration(duration)) {
    const int count = shape.getNumVertices();
    if (count < 1)
        return;
    m_particles.reserve(static_cast<size_t>(4 * count));
    addRing(shape, scale, 1.0f, rotation, position, EXPLOSION_OUTER_SPEED);
    addRing(shape, scale, EXPLOSION_INNER_SCALE, rotation, position, 2.0f * EXPLOSION_OUTER_SPEED);
}

void ZEBObjectParticleSystem::addRing(const ZEBObject& shape, const float& scale, const float& ringScale,
                                      const float& rotation, const vector3& position, const float& speed) {
    matrix world = ringTransform(scale * ringScale, rotation, position);
    // The library transforms column vectors, so it takes the transpose.
    transpose(&world, &world);
    const int count = shape.getNumVertices();
    const vector3* vertices = shape.getVertices();
    std::vector<vector3> points(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        transformPoint(&world, &vertices[k], &points[static_cast<size_t>(k)]);

    // The first edge handled is the closing one, from the last vertex to vertex 0.
    int previous = count - 1;
    for (int k = 0; k < count; ++k) {
        const vector3& from = points[static_cast<size_t>(previous)];
        const vector3& to = points[static_cast<size_t>(k)];
        const float t = randomFraction() * CUT_SPREAD + CUT_OFFSET;
        vector3 cut;
        interpolate(&from, &to, t, &cut);
        ZEBParticleLine first = makeHalf(from, cut, speed);
        ZEBParticleLine second = makeHalf(cut, to, speed);
        m_particles.push_back(std::move(first));
        m_particles.push_back(std::move(second));
        previous = k;
    }
}

void ZEBObjectParticleSystem::update(const float& dt) {
    if (m_duration >= m_elapsed) {
        for (ZEBParticleLine& particle : m_particles)
            particle.update(dt);
        // A zero duration would divide 0 by 0: such an explosion is over at once.
        const float ratio = m_duration > 0.0f ? m_elapsed / m_duration : 1.0f;
        m_colour.a = 1.0f - ratio * ratio;
    } else {
        m_active = false;
    }
    m_elapsed += dt;
}

void ZEBObjectParticleSystem::draw() const {
    if (!m_active)
        return;
    for (const ZEBParticleLine& particle : m_particles)
        particle.draw(m_colour);
}
