#pragma once

#include "core/maths/colour4.h"
#include "core/maths/matrix.h"
#include "platform/render/vertexbuffer.h"

// The device sequence shapes and particles share: the world matrix folded into
// the view transform (world first), position-only vertices from buffer as
// stream 0, a material of the colour (specular power 50), a strip of lineCount
// lines from vertex 0, then the view restored and no texture on stage 0.
// Draws nothing without a device or when the buffer holds too few vertices.
constexpr float LINE_SPECULAR_POWER = 50.0f;

void drawWorldLineStrip(const vertexBuffer& buffer, int lineCount, const matrix& world,
                        const colour4& colour);
