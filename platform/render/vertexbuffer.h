#pragma once

#include "core/maths/vector3.h"

#include <vector>

// A write-once buffer of position-only vertices (stride 12 bytes), kept in
// memory; a device draws line strips from it.
class vertexBuffer {
  public:
    bool create(const vector3* vertices, int count); // false when already created or count < 0
    int getCount() const { return static_cast<int>(m_vertices.size()); }
    const vector3* getVertices() const { return m_vertices.data(); }
    bool isCreated() const { return m_created; }

  private:
    std::vector<vector3> m_vertices;
    bool m_created = false;
};
