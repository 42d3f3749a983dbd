#pragma once

#include "core/maths/vector3.h"

float degreesToRadians(float degrees);
float radiansToDegrees(float radians);
int absolute(int value);
int negativeAbsolute(int value);
float absolute(float value);
float clamp(float min, float max, float value);
float smallestOf(float a, float b, float c);
float largestOf(float a, float b, float c);
float determinant3(const vector3& a, const vector3& b, const vector3& c);
float scalarTriple(const vector3& a, const vector3& b, const vector3& c);
void dotProduct(const vector3& a, const vector3& b, float* out);
int factorial(int n);                         // exact up to 12
float binomial(int row, int element);         // exact for rows up to 12
float interpolate(float a, float b, float t); // t = 0 gives a
