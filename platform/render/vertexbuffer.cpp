#include "platform/render/vertexbuffer.h"

bool vertexBuffer::create(const vector3* vertices, int count) {
    if (m_created || count < 0 || (count > 0 && vertices == nullptr))
        return false;
    m_vertices.assign(vertices, vertices + count);
    m_created = true;
    return true;
}
