#pragma once

#include "core/maths/colour4.h"
#include "core/maths/vector3.h"
#include "platform/render/vertexbuffer.h"

#include <cstddef>
#include <vector>

class ZEBObject;

// One flying half of a cut edge: it drifts, spins about z and is drawn in its
// system's colour.
class ZEBParticleLine {
  public:
    ZEBParticleLine(const vector3& start, const vector3& end, const vector3& velocity,
                    const float& rotationSpeed);

    void update(const float& dt);
    void draw(const colour4& colour) const;

    const vector3& getPosition() const { return m_position; } // the midpoint, in world space
    float getRotation() const { return m_rotation; }          // degrees
    const vector3& getVelocity() const { return m_velocity; }
    float getRotationSpeed() const { return m_rotationSpeed; } // degrees per second
    const vertexBuffer& getVertexBuffer() const { return m_vertexBuffer; }

  private:
    vector3 m_position;
    float m_rotation;
    vector3 m_velocity;
    float m_rotationSpeed;
    vertexBuffer m_vertexBuffer; // both ends relative to the midpoint
};

// The explosion of one shape: every edge of the outline, at full size and at
// EXPLOSION_INNER_SCALE of it, is cut at a random point into two lines that
// fly apart and fade out over the duration.
constexpr float EXPLOSION_INNER_SCALE = 0.27f;
constexpr float EXPLOSION_OUTER_SPEED = 2.5f; // per axis; the inner ring flies twice as fast

// The duration comes from the host. The game's longest is 0.3 s; a longer one
// is cut to this, so no host can keep an effect alive for good.
constexpr float MAX_EXPLOSION_DURATION = 3.0f;
// Effects alive at once. A round of the largest level breaking at the same
// moment stays far below; past this new explosions are not shown.
constexpr size_t MAX_LIVE_EFFECTS = 256;

// The host's duration made safe: not a number or negative gives 0 (over at
// once), a long one MAX_EXPLOSION_DURATION.
float limitExplosionDuration(float duration);

class ZEBObjectParticleSystem {
  public:
    // Builds all 4 n lines of a shape of n vertices at once; draws nine values
    // of the random source per edge.
    ZEBObjectParticleSystem(const float& duration, const ZEBObject& shape, const vector3& position,
                            const float& rotation, const float& scale, const colour4& colour);

    // While the elapsed time has not passed the duration: moves the lines and
    // sets alpha to 1 - (elapsed / duration)^2; after that, becomes inactive.
    void update(const float& dt);
    void draw() const; // nothing once inactive
    bool isActive() const { return m_active; }

    const colour4& getColour() const { return m_colour; }
    float getElapsed() const { return m_elapsed; }
    int getParticleCount() const { return static_cast<int>(m_particles.size()); }
    const ZEBParticleLine& getParticle(int index) const { return m_particles[static_cast<size_t>(index)]; }

  private:
    void addRing(const ZEBObject& shape, const float& scale, const float& ringScale, const float& rotation,
                 const vector3& position, const float& speed);

    colour4 m_colour;
    bool m_active;
    float m_elapsed;
    float m_duration;
    std::vector<ZEBParticleLine> m_particles;
};
