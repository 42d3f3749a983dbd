#include "game/windowed/draw/zebshapeoutlines.h"

#include "drawing/linedraw.h"

#include <cstddef>

ZEBShapeOutlines::ZEBShapeOutlines(const std::vector<ZEBObject>& shapes) : m_outlines(shapes.size()) {
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const ZEBObject& shape = shapes[i];
        if (shape.getNumVertices() < 1)
            continue; // an empty buffer: nothing to draw
        std::vector<vector3> outline(shape.getVertices(), shape.getVertices() + shape.getNumVertices());
        outline.push_back(outline.front());
        m_outlines[i].create(outline.data(), static_cast<int>(outline.size()));
    }
}

const vertexBuffer* ZEBShapeOutlines::getOutline(int shape) const {
    if (shape < 0 || shape >= getCount())
        return nullptr;
    return &m_outlines[shape];
}

void ZEBShapeOutlines::draw(int shape, const matrix& world, const colour4& colour) const {
    const vertexBuffer* outline = getOutline(shape);
    // One line per listed vertex: the buffer repeats vertex 0 to close the outline.
    if (outline != nullptr)
        drawWorldLineStrip(*outline, outline->getCount() - 1, world, colour);
}
