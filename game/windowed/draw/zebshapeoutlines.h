#pragma once

#include "core/maths/colour4.h"
#include "core/maths/matrix.h"
#include "game/rules/zebobject.h"
#include "platform/render/vertexbuffer.h"

#include <vector>

// The level's shapes as the device draws them: each shape's closed outline
// (its vertices, then the first again) in a vertex buffer of its own, kept by
// the shape's index in the list it was built from. The shapes keep their
// geometry; this holds only what drawing needs, so a host that draws nothing
// never builds one.
class ZEBShapeOutlines {
  public:
    ZEBShapeOutlines() = default;
    explicit ZEBShapeOutlines(const std::vector<ZEBObject>& shapes);

    int getCount() const { return static_cast<int>(m_outlines.size()); }
    // The outline of shape, or nullptr for an index out of range.
    const vertexBuffer* getOutline(int shape) const;
    // Draws shape's closed outline with a world matrix and colour (world
    // folded into the device's view); an index out of range or a shape
    // without vertices draws nothing.
    void draw(int shape, const matrix& world, const colour4& colour) const;

  private:
    std::vector<vertexBuffer> m_outlines;
};
