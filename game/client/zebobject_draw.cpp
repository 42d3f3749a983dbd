#include "game/rules/zebobject.h"

#include "drawing/linedraw.h"

void ZEBObject::draw(const matrix& world, const colour4& colour) const {
    // One line per listed vertex: the buffer repeats vertex 0 to close the outline.
    drawWorldLineStrip(m_vertexBuffer, m_vertexBuffer.getCount() - 1, world, colour);
}
