#pragma once

#include "core/maths/vector3.h"

float degreesToRadians(float degrees);
float clamp(float min, float max, float value);
float smallestOf(float a, float b, float c);
float largestOf(float a, float b, float c);
