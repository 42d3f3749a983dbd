#pragma once

#include "core/maths/matrix.h"
#include "core/maths/vector3.h"
#include "game/rules/zebobjecttype.h"

#include <vector>

// The line shape of one kind of thing (ship, bullet, asteroid): an open list of
// model-space vertices drawn as a closed outline. Elements refer to a shape by
// its index in the level's list and add position, rotation, scale and colour.
class ZEBObject {
  public:
    ZEBObject() = default;

    // Copies the vertices. False, leaving the shape empty, when there are none.
    bool create(const ZEBObjectType& type, const vector3* vertices, const int& numVertices);

    // True when a vertex of this shape, moved by movement in world space, meets
    // an edge of the other shape (the closing edge included). Both world
    // matrices are in the row-vector convention; z plays no part. Writes the
    // other shape's scratch vertices, so tests sharing a shape must not run at
    // the same time. Allocates nothing.
    bool testCollision(const matrix& world, const vector3& movement, ZEBObject& other,
                       const matrix& otherWorld);

    ZEBObjectType getType() const { return m_type; }
    const vector3* getVertices() const { return m_vertices.data(); }
    int getNumVertices() const { return static_cast<int>(m_vertices.size()); }

  private:
    std::vector<vector3> m_vertices;      // model coordinates
    std::vector<vector3> m_worldVertices; // scratch, overwritten by every collision test
    ZEBObjectType m_type = TYPE_UNKNOWN;
};
