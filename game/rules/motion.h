#pragma once

// How ships and bullets move and how large they are: the client's prediction,
// the host's simulation and the pilot all read them here.
constexpr float MAX_SHIP_SPEED = 5.5f;          // after thrust, units per second
constexpr float SHIP_THRUST = 6.0f;             // units per second squared
constexpr double TURN_REVOLUTIONS = 0.41666666; // per second
constexpr float SHIP_SCALE = 0.4f;
constexpr float BULLET_SCALE = 0.3f; // the ship's 0.4 x 0.75
constexpr float BULLET_SPEED = 10.0f;
constexpr float BULLET_LIFETIME = 1.0f; // seconds a bullet flies

// A ship its player has not touched since it appeared is spared by asteroids
// and bullets until its player acts: a player who steps away does not come
// back to a score ruined by the drifting field or by others' fire, and an
// untouched ship can do nothing to anyone. The host decides; clients show it.
