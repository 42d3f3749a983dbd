#include "drawing/linedraw.h"

#include "drawing/render.h"

void drawWorldLineStrip(const vertexBuffer& buffer, int lineCount, const matrix& world,
                        const colour4& colour) {
    renderDevice* device = g_pd3dDevice;
    if (device == nullptr || lineCount < 1 || buffer.getCount() < lineCount + 1)
        return;
    const matrix view = device->getTransform(transformState::view);
    matrix worldView;
    multiply(&world, &view, &worldView);
    device->setTransform(transformState::view, worldView);
    device->setVertexFormat(vertexFormat::position);
    device->setStreamSource(0, &buffer, 0, POSITION_VERTEX_STRIDE);

    material lineMaterial;
    lineMaterial.diffuse = colour;
    lineMaterial.ambient = colour;
    lineMaterial.specular = colour;
    lineMaterial.emissive = colour;
    lineMaterial.power = LINE_SPECULAR_POWER;
    device->setMaterial(lineMaterial);
    device->drawLineStrip(0, lineCount);

    device->setTransform(transformState::view, view);
    device->setStreamSource(0, nullptr, 0, POSITION_VERTEX_STRIDE);
    device->setTexture(0, nullptr);
}
