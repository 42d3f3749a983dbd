#pragma once

#include "core/maths/vector3.h"
#include "game/rules/protocol.h"

#include <cstdint>

class ZEBGameStateCollector;

// A computer player's hands on the controls. It looks at the client's picture
// of the game now and then, with a random reaction delay so that a person can
// beat it, and in between steers toward what it last decided: away from an
// asteroid that is about to hit it, else toward the nearest asteroid, firing
// when aligned and thrusting when far.
constexpr float BOT_REACTION_MIN = 0.15f;      // seconds between looks, at least
constexpr float BOT_REACTION_MAX = 0.45f;      // and at most
constexpr float BOT_FIRE_ALIGNMENT = 8.0f;     // degrees off the aim at which it fires
constexpr float BOT_EVADE_ALIGNMENT = 60.0f;   // degrees off the way out at which it thrusts
constexpr float BOT_TURN_DEADBAND = 3.0f;      // degrees off the aim it lets be
constexpr float BOT_FAR_DISTANCE = 7.0f;       // thrusts toward a target farther than this
constexpr float BOT_THREAT_TIME = 2.5f;        // seconds ahead it looks for a collision
constexpr float BOT_THREAT_MARGIN = 1.5f;      // added to the asteroid's size when judging a threat
constexpr float BOT_ASTEROID_RADIUS = 1.0f;    // an asteroid outline's radius at scale 1
constexpr float BOT_LINE_OF_FIRE_WIDTH = 1.0f; // a ship this close to its line of fire holds its fire

class ZEBBotPilot {
  public:
    explicit ZEBBotPilot(uint32_t seed); // its own random source: the game's stays untouched

    // The controls for the next frame of changeInTime seconds.
    PlayerInput decide(const ZEBGameStateCollector& collector, float changeInTime);

  private:
    enum class plan { idle, attack, evade };

    void look(const ZEBGameStateCollector& collector);
    void planEvasion(const vector3& heading, const vector3& offset, const vector3& relativeMotion);
    PlayerInput steer(const ZEBGameStateCollector& collector) const;
    float nextReactionDelay();

    uint32_t m_random;
    float m_untilNextLook = 0.0f;
    plan m_plan = plan::idle;
    vector3 m_aim;      // the direction to fly or fire along, unit length
    bool m_far = false; // the target is far: thrust
};

// Where a ship with this rotation (degrees) flies and fires: unit length.
vector3 shipHeading(float rotation);
// True when another player's ship is ahead of own's nose, within a bullet's reach.
bool isShipInLineOfFire(const ZEBGameStateCollector& collector, int own);
// The shortest way from one point to another across the wrapping play area.
vector3 wrappedOffset(const vector3& from, const vector3& to);
