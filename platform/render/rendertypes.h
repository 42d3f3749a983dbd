#pragma once

#include "core/maths/colour4.h"

// The values the device's state operations take.
enum class transformState { view, projection };
enum class blendFactor { zero, one, sourceAlpha, inverseSourceAlpha };
enum class cullMode { none, clockwise, counterClockwise };
enum class textureFilter { none, point, linear };
enum class vertexFormat { none, position }; // position: three floats, 12 bytes

constexpr int POSITION_VERTEX_STRIDE = 12;
constexpr int MAX_TEXTURE_STAGES = 8;

// A rectangle of pixels of the game area.
struct pixelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Lines take the diffuse colour, alpha included; the rest is kept for callers
// that read it back.
struct material {
    colour4 diffuse;
    colour4 ambient;
    colour4 specular;
    colour4 emissive;
    float power = 0.0f;
};
