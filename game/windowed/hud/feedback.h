#pragma once

#include "core/maths/colour4.h"
#include "core/maths/matrix.h"
#include "core/maths/vector3.h"

// The drawing of what gives the game its punch, in the line style of the
// shapes: all of it from what this client already knows.

// A bullet as a short bright streak trailing it, about three pixels wide at any
// window size (the host's bullet shape alone is a few pixels across).
void drawBulletStreak(const matrix& transform, const vector3& velocity, const colour4& colour);

// A flickering flame behind the own ship while its player thrusts; radius is
// the ship's outline radius in its shape's own units.
void drawEngineFlame(const matrix& transform, float radius);

class ZEBFeedback;
class font;

// The own score's changes floating up beside the own ship (at shipPosition),
// and the line that names who shot it.
void drawFeedback(font& text, const ZEBFeedback& feedback, const vector3& shipPosition);
