#pragma once

#include "core/littleendian.h"
#include "core/maths/colour4.h"
#include "core/maths/vector3.h"

// vector3 travels as x, y, z (12 bytes); colour4 as red, green, blue, alpha (16 bytes).
constexpr int WIRE_VECTOR3_SIZE = 12;
constexpr int WIRE_COLOUR4_SIZE = 16;

inline void writeVector3(uint8_t* out, const vector3& v) {
    writeF32(out, v.x);
    writeF32(out + 4, v.y);
    writeF32(out + 8, v.z);
}

inline vector3 readVector3(const uint8_t* in) {
    return vector3(readF32(in), readF32(in + 4), readF32(in + 8));
}

inline void writeColour4(uint8_t* out, const colour4& c) {
    writeF32(out, c.r);
    writeF32(out + 4, c.g);
    writeF32(out + 8, c.b);
    writeF32(out + 12, c.a);
}

inline colour4 readColour4(const uint8_t* in) {
    return colour4(readF32(in), readF32(in + 4), readF32(in + 8), readF32(in + 12));
}
