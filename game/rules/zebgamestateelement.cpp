#include "game/rules/zebgamestateelement.h"

#include "core/assertion.h"
#include "core/maths/standard.h"
#include "game/rules/wiremaths.h"

namespace {

// Offsets shared by both records, then those of the full record alone.
constexpr int OFFSET_ID = 0;
constexpr int OFFSET_POSITION = 4;
constexpr int OFFSET_ROTATION = 16;
constexpr int OFFSET_VELOCITY = 20;
constexpr int OFFSET_SCALE = 32;
constexpr int OFFSET_TYPE = 36;
constexpr int OFFSET_OBJECT = 40;
constexpr int OFFSET_COLOUR = 44;
constexpr int OFFSET_FULL_VISIBLE = 60;
constexpr int OFFSET_PARTIAL_VISIBLE = 32;
static_assert(OFFSET_FULL_VISIBLE + 1 == FULL_RECORD_SIZE, "visible flag ends the full record");
static_assert(OFFSET_PARTIAL_VISIBLE + 1 == PARTIAL_RECORD_SIZE, "visible flag ends the partial record");
static_assert(OFFSET_COLOUR + WIRE_COLOUR4_SIZE == OFFSET_FULL_VISIBLE, "colour precedes the flag");

constexpr double SHIP_DAMPING = 0.3; // fraction of a ship's velocity lost per second

} // namespace

ZEBGameStateElement::ZEBGameStateElement() {
    initialise(0, ZERO, 0.0f, ZERO, 1.0f, TYPE_UNKNOWN, 0, WHITE, false);
}

void ZEBGameStateElement::initialise(int uniqueID, const vector3& position, float rotation,
                                     const vector3& velocity, float scale, int type, int objectID,
                                     const colour4& colour, bool visible) {
    m_uniqueID = uniqueID;
    m_position = position;
    m_rotation = rotation;
    m_velocity = velocity;
    m_scale = scale;
    m_type = type;
    m_objectID = objectID;
    m_colour = colour;
    m_visible = visible;
    m_timeSinceUpdate = 0.0f;
}

void ZEBGameStateElement::startExplosion(float duration, const vector3& position, float rotation) {
    m_visible = false;
    m_exploding = true;
    m_explosionDuration = duration;
    m_explosionPosition = position;
    m_explosionRotation = rotation;
}

void ZEBGameStateElement::getExplosion(float* duration, vector3* position, float* rotation) const {
    if (duration != nullptr)
        *duration = m_explosionDuration;
    if (position != nullptr)
        *position = m_explosionPosition;
    if (rotation != nullptr)
        *rotation = m_explosionRotation;
}

matrix ZEBGameStateElement::getRotationMatrix() const {
    matrix rotation = IDENTITY;
    rotationZ(degreesToRadians(m_rotation), &rotation);
    return rotation;
}

vector3 ZEBGameStateElement::getDirection() const {
    const matrix rotation = getRotationMatrix();
    const vector3 back(-1.0f, 0.0f, 0.0f);
    vector3 direction;
    transformDirection(&rotation, &back, &direction);
    direction.normalise();
    direction.y = -direction.y;
    return direction;
}

matrix ZEBGameStateElement::getWorldTransform() const {
    matrix scaling = IDENTITY;
    scaling(0, 0) = m_scale;
    scaling(1, 1) = m_scale;
    const matrix rotation = getRotationMatrix();
    matrix place = IDENTITY;
    place(3, 0) = m_position.x;
    place(3, 1) = m_position.y;
    place(3, 2) = m_position.z;
    matrix world;
    multiply(&scaling, &rotation, &world);
    multiply(&world, &place, &world);
    return world;
}

void ZEBGameStateElement::update(float dt) {
    m_timeSinceUpdate += dt;
    vector3 changeInPos;
    scale(&m_velocity, dt, &changeInPos);
    subtract(&m_position, &changeInPos, &m_position);
    if (m_type == TYPE_PLAYER) {
        const float factor = static_cast<float>(dt * SHIP_DAMPING);
        vector3 damp;
        scale(&m_velocity, factor, &damp);
        subtract(&m_velocity, &damp, &m_velocity);
    }
}

// Both records begin with the id, position, rotation and velocity.
void ZEBGameStateElement::writeMotion(uint8_t* buffer) const {
    writeI32(buffer + OFFSET_ID, m_uniqueID);
    writeVector3(buffer + OFFSET_POSITION, m_position);
    writeF32(buffer + OFFSET_ROTATION, m_rotation);
    writeVector3(buffer + OFFSET_VELOCITY, m_velocity);
}

void ZEBGameStateElement::readMotion(const uint8_t* buffer) {
    m_uniqueID = readI32(buffer + OFFSET_ID);
    m_position = readVector3(buffer + OFFSET_POSITION);
    m_rotation = readF32(buffer + OFFSET_ROTATION);
    m_velocity = readVector3(buffer + OFFSET_VELOCITY);
}

void ZEBGameStateElement::writeFull(uint8_t* buffer) const {
    writeMotion(buffer);
    writeF32(buffer + OFFSET_SCALE, m_scale);
    writeI32(buffer + OFFSET_TYPE, m_type);
    writeI32(buffer + OFFSET_OBJECT, m_objectID);
    writeColour4(buffer + OFFSET_COLOUR, m_colour);
    writeBool(buffer + OFFSET_FULL_VISIBLE, m_visible);
}

void ZEBGameStateElement::readFull(const uint8_t* buffer) {
    readMotion(buffer);
    m_scale = readF32(buffer + OFFSET_SCALE);
    m_type = readI32(buffer + OFFSET_TYPE);
    m_objectID = readI32(buffer + OFFSET_OBJECT);
    m_colour = readColour4(buffer + OFFSET_COLOUR);
    m_visible = readBool(buffer + OFFSET_FULL_VISIBLE);
}

bool ZEBGameStateElement::readFull(const uint8_t* buffer, int available) {
    if (buffer == nullptr || available < FULL_RECORD_SIZE)
        return false;
    readFull(buffer);
    return true;
}

void ZEBGameStateElement::writePartial(uint8_t* buffer) const {
    writeMotion(buffer);
    writeBool(buffer + OFFSET_PARTIAL_VISIBLE, m_visible);
}

void ZEBGameStateElement::readPartial(const uint8_t* buffer) {
    readMotion(buffer);
    m_visible = readBool(buffer + OFFSET_PARTIAL_VISIBLE);
}

bool ZEBGameStateElement::readPartial(const uint8_t* buffer, int available) {
    if (buffer == nullptr || available < PARTIAL_RECORD_SIZE)
        return false;
    readPartial(buffer);
    return true;
}

int ZEBGameStateElement::getChild(int index) const {
    if (!ZEB_ASSERT(index >= 0 && index < getNumChildren(), "Child index out of range!"))
        return -1;
    return m_childIDs[index];
}
