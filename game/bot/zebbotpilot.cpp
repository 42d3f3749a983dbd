#include "game/bot/zebbotpilot.h"

#include "game/client/zebgamestatecollector.h"
#include "game/rules/motion.h"
#include "game/rules/playarea.h"
#include "game/rules/zebgamestateelement.h"

#include <cmath>

namespace {

constexpr float RADIANS_PER_DEGREE = 3.14159265f / 180.0f;

float cross(const vector3& a, const vector3& b) {
    return a.x * b.y - a.y * b.x;
}

float dot2(const vector3& a, const vector3& b) {
    return a.x * b.x + a.y * b.y;
}

float length2(const vector3& v) {
    return std::sqrt(dot2(v, v));
}

vector3 unit(const vector3& v) {
    const float length = length2(v);
    return length > 0.0f ? vector3(v.x / length, v.y / length, 0.0f) : vector3(1.0f, 0.0f, 0.0f);
}

// An element moves by minus its velocity (see the element's update).
vector3 motion(const ZEBGameStateElement& element) {
    const vector3& velocity = element.getVelocity();
    return vector3(-velocity.x, -velocity.y, 0.0f);
}

float angleBetween(const vector3& a, const vector3& b) {
    return std::atan2(cross(a, b), dot2(a, b)) / RADIANS_PER_DEGREE;
}

// Which way a rotation that grows turns the heading: +1 counter-clockwise.
float leftTurnSign() {
    return cross(shipHeading(0.0f), shipHeading(1.0f)) > 0.0f ? 1.0f : -1.0f;
}

struct approach {
    float time;     // seconds until the two are closest, from now
    float distance; // how close they get
};

approach closestApproach(const vector3& offset, const vector3& relativeMotion) {
    const float speedSquared = dot2(relativeMotion, relativeMotion);
    float time = speedSquared > 0.0f ? -dot2(offset, relativeMotion) / speedSquared : 0.0f;
    time = std::fmax(time, 0.0f);
    const vector3 closest(offset.x + relativeMotion.x * time, offset.y + relativeMotion.y * time, 0.0f);
    return approach{time, length2(closest)};
}

// Seconds until the other comes within reach, or a negative value when it never does.
float timeToContact(const vector3& offset, const vector3& relativeMotion, float reach) {
    if (length2(offset) <= reach)
        return 0.0f;
    const approach closest = closestApproach(offset, relativeMotion);
    const float speed = length2(relativeMotion);
    if (closest.distance >= reach || speed <= 0.0f)
        return -1.0f;
    return closest.time - std::sqrt(reach * reach - closest.distance * closest.distance) / speed;
}

} // namespace

vector3 shipHeading(float rotation) {
    ZEBGameStateElement probe;
    probe.setRotation(rotation);
    const vector3 direction = probe.getDirection();
    return unit(vector3(-direction.x, -direction.y, 0.0f));
}

vector3 wrappedOffset(const vector3& from, const vector3& to) {
    return vector3(wrapPlayArea(to.x - from.x), wrapPlayArea(to.y - from.y), 0.0f);
}

ZEBBotPilot::ZEBBotPilot(uint32_t seed) : m_random(seed) {}

float ZEBBotPilot::nextReactionDelay() {
    m_random = m_random * 214013u + 2531011u;
    const float fraction = static_cast<float>((m_random >> 16) & 0x7FFF) / 32767.0f;
    return BOT_REACTION_MIN + fraction * (BOT_REACTION_MAX - BOT_REACTION_MIN);
}

PlayerInput ZEBBotPilot::decide(const ZEBGameStateCollector& collector, float changeInTime) {
    m_untilNextLook -= changeInTime;
    if (m_untilNextLook <= 0.0f) {
        look(collector);
        m_untilNextLook = nextReactionDelay();
    }
    return steer(collector);
}

void ZEBBotPilot::look(const ZEBGameStateCollector& collector) {
    m_plan = plan::idle;
    const int own = collector.getOwnIndex();
    if (!collector.hasJoined() || own < 0 || own >= collector.getElementCount() ||
        !collector.getElementState(own).isVisible())
        return;
    const ZEBGameStateElement& ship = collector.getElementState(own);
    float nearest = 0.0f;
    float soonestThreat = BOT_THREAT_TIME;
    for (int i = 0; i < collector.getElementCount(); ++i) {
        const ZEBGameStateElement& asteroid = collector.getElementState(i);
        if (i == own || !asteroid.isVisible() || asteroid.getType() != TYPE_ASTEROID)
            continue;
        const vector3 offset = wrappedOffset(ship.getPosition(), asteroid.getPosition());
        const vector3 asteroidMotion = motion(asteroid);
        const vector3 shipMotion = motion(ship);
        const vector3 relative(asteroidMotion.x - shipMotion.x, asteroidMotion.y - shipMotion.y, 0.0f);
        const float reach = asteroid.getScale() * BOT_ASTEROID_RADIUS + BOT_THREAT_MARGIN;
        const float contact = timeToContact(offset, relative, reach);
        if (contact >= 0.0f && contact < soonestThreat) {
            planEvasion(shipHeading(ship.getRotation()), offset, relative);
            soonestThreat = contact;
            continue;
        }
        const float distance = length2(offset);
        if (m_plan == plan::evade || (m_plan == plan::attack && distance >= nearest))
            continue;
        // Lead the target by the bullet's flight time.
        const float flight = distance / BULLET_SPEED;
        m_aim =
            unit(vector3(offset.x + asteroidMotion.x * flight, offset.y + asteroidMotion.y * flight, 0.0f));
        // A target coming closer needs no chasing.
        m_far = distance > BOT_FAR_DISTANCE && dot2(offset, relative) >= 0.0f;
        m_plan = plan::attack;
        nearest = distance;
    }
}

// Away from the asteroid and across its path, to whichever side needs the
// shorter turn: straight away alone cannot outrun a fast one.
void ZEBBotPilot::planEvasion(const vector3& heading, const vector3& offset, const vector3& relativeMotion) {
    vector3 across = unit(vector3(-relativeMotion.y, relativeMotion.x, 0.0f));
    if (dot2(across, heading) < 0.0f)
        across = vector3(-across.x, -across.y, 0.0f);
    const vector3 away = unit(vector3(-offset.x, -offset.y, 0.0f));
    m_aim = unit(vector3(across.x + away.x, across.y + away.y, 0.0f));
    m_plan = plan::evade;
}

// A bot shoots asteroids, never players: it holds its fire while another
// ship is where its bullet could pass within the bullet's flight.
bool isShipInLineOfFire(const ZEBGameStateCollector& collector, int own) {
    const ZEBGameStateElement& ship = collector.getElementState(own);
    const vector3 heading = shipHeading(ship.getRotation());
    const float range = BULLET_SPEED * BULLET_LIFETIME;
    for (int i = 0; i < collector.getElementCount(); ++i) {
        const ZEBGameStateElement& other = collector.getElementState(i);
        if (i == own || !other.isVisible() || other.getType() != TYPE_PLAYER)
            continue;
        const vector3 offset = wrappedOffset(ship.getPosition(), other.getPosition());
        const float along = dot2(offset, heading);
        if (along > 0.0f && along < range && std::fabs(cross(heading, offset)) < BOT_LINE_OF_FIRE_WIDTH)
            return true;
    }
    return false;
}

PlayerInput ZEBBotPilot::steer(const ZEBGameStateCollector& collector) const {
    PlayerInput input;
    const int own = collector.getOwnIndex();
    if (m_plan == plan::idle || own < 0 || own >= collector.getElementCount() ||
        !collector.getElementState(own).isVisible())
        return input;
    const float error = angleBetween(shipHeading(collector.getElementState(own).getRotation()), m_aim);
    const float turn = error * leftTurnSign();
    input.left = turn > BOT_TURN_DEADBAND;
    input.right = turn < -BOT_TURN_DEADBAND;
    const bool aligned = std::fabs(error) < BOT_FIRE_ALIGNMENT;
    input.fire = m_plan == plan::attack && aligned && !isShipInLineOfFire(collector, own);
    input.up = m_plan == plan::evade ? std::fabs(error) < BOT_EVADE_ALIGNMENT : aligned && m_far;
    return input;
}
