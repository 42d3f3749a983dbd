#pragma once

#include "core/maths/colour4.h"
#include "core/maths/matrix.h"
#include "core/maths/vector3.h"
#include "game/rules/zebobjecttype.h"

#include <cstdint>
#include <vector>

// Wire records of an element: packed, little-endian, floats IEEE single, bool one byte.
// Full:    id 4 | position 12 | rotation 4 | velocity 12 | scale 4 | type 4 | object 4 | colour 16 | visible
// 1 Partial: id 4 | position 12 | rotation 4 | velocity 12 | visible 1
constexpr int FULL_RECORD_SIZE = 61;
constexpr int PARTIAL_RECORD_SIZE = 33;
static_assert(FULL_RECORD_SIZE == 4 + 12 + 4 + 12 + 4 + 4 + 4 + 16 + 1, "full record layout");
static_assert(PARTIAL_RECORD_SIZE == 4 + 12 + 4 + 12 + 1, "partial record layout");

// One ship, bullet or asteroid. Its id is its index in the element list, the
// same on the server and on every client; elements leave play by becoming
// invisible, never by removal. Server and clients run the same movement step.
class ZEBGameStateElement {
  public:
    static constexpr int FULL_SIZE = FULL_RECORD_SIZE;
    static constexpr int PARTIAL_SIZE = PARTIAL_RECORD_SIZE;

    ZEBGameStateElement();

    void initialise(int uniqueID, const vector3& position, float rotation, const vector3& velocity,
                    float scale, int type, int objectID, const colour4& colour, bool visible);

    int getUniqueID() const { return m_uniqueID; }
    void setUniqueID(int uniqueID) { m_uniqueID = uniqueID; }
    const vector3& getPosition() const { return m_position; }
    void setPosition(const vector3& position) { m_position = position; }
    float getRotation() const { return m_rotation; } // degrees
    void setRotation(float rotation) { m_rotation = rotation; }
    const vector3& getVelocity() const { return m_velocity; }
    void setVelocity(const vector3& velocity) { m_velocity = velocity; }
    float getScale() const { return m_scale; }
    void setScale(float scale) { m_scale = scale; }
    int getType() const { return m_type; }
    void setType(int type) { m_type = type; }
    int getObjectID() const { return m_objectID; }
    void setObjectID(int objectID) { m_objectID = objectID; }
    const colour4& getColour() const { return m_colour; }
    void setColour(const colour4& colour) { m_colour = colour; }
    bool getVisible() const { return m_visible; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    float getTimeSinceUpdate() const { return m_timeSinceUpdate; }
    void resetTimeSinceUpdate() { m_timeSinceUpdate = 0.0f; }

    // Client side: an announced explosion, shown once by the frame update.
    void startExplosion(float duration, const vector3& position, float rotation); // also hides the element
    bool isExploding() const { return m_exploding; }
    void getExplosion(float* duration, vector3* position, float* rotation) const;
    void clearExplosion() { m_exploding = false; }

    vector3 getDirection() const;     // unit facing: (-cos, -sin, 0), see update's sign
    matrix getRotationMatrix() const; // rotationZ of the rotation, row-vector convention
    matrix getWorldTransform() const; // scale * rotation * translation

    // One movement step: position -= velocity * dt; a ship's velocity is damped.
    void update(float dt);

    // Records. The pointer forms need FULL_RECORD_SIZE / PARTIAL_RECORD_SIZE
    // bytes; the sized reads refuse a shorter buffer and then touch nothing.
    // Reading overwrites exactly the fields the record holds, id included.
    void writeFull(uint8_t* buffer) const;
    void readFull(const uint8_t* buffer);
    bool readFull(const uint8_t* buffer, int available);
    void writePartial(uint8_t* buffer) const;
    void readPartial(const uint8_t* buffer);
    bool readPartial(const uint8_t* buffer, int available);

    // Fragments that appear when this asteroid breaks.
    void addChild(int id) { m_childIDs.push_back(id); }
    int getNumChildren() const { return static_cast<int>(m_childIDs.size()); }
    int getChild(int index) const; // -1, with a report, when out of range
    void clearChildren() { m_childIDs.clear(); }

  private:
    void writeMotion(uint8_t* buffer) const; // the fields both records open with
    void readMotion(const uint8_t* buffer);

    int32_t m_uniqueID = 0;
    bool m_exploding = false;
    float m_explosionDuration = 0.0f;
    vector3 m_explosionPosition;
    float m_explosionRotation = 0.0f;
    float m_timeSinceUpdate = 0.0f;
    int32_t m_type = TYPE_UNKNOWN;
    int32_t m_objectID = 0;
    float m_scale = 1.0f;
    vector3 m_position;
    float m_rotation = 0.0f;
    vector3 m_velocity;
    colour4 m_colour;
    bool m_visible = false;
    std::vector<int32_t> m_childIDs;
};
