#pragma once

// How ships and bullets move and how large they are: the client's prediction,
// the host's simulation and the pilot all read them here.
constexpr float MAX_SHIP_SPEED = 5.5f;          // after thrust, units per second
constexpr float SHIP_THRUST = 6.0f;             // units per second squared
constexpr double TURN_REVOLUTIONS = 0.41666666; // per second
constexpr float SHIP_SCALE = 0.4f;
constexpr float BULLET_SCALE = 0.3f; // the ship's 0.4 x 0.75
constexpr float BULLET_SPEED = 10.0f;

// A ship its player has not touched since it appeared is spared by asteroids
// for this long (seconds): a player who steps away does not come back to a
// score ruined by the drifting field. The host decides; clients show it.
constexpr float IDLE_GRACE_TIME = 10.0f;
