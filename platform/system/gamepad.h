#pragma once

#include <cstdint>

// Game controllers through SDL's game controller support: every pad plugged
// in is opened as it arrives and closed as it goes, while the game runs. The
// controls of all open pads are combined.
struct gamepadControls {
    bool left = false;   // left stick or d-pad to the left
    bool right = false;  // left stick or d-pad to the right
    bool thrust = false; // right trigger, B or d-pad up
    bool fire = false;   // A or right shoulder
};

constexpr int16_t GAMEPAD_STICK_DEAD_ZONE = 12000;   // of 32767: a resting stick drifts
constexpr int16_t GAMEPAD_TRIGGER_THRESHOLD = 16000; // of 32767: half pulled

bool initialiseGamepads(); // false when the subsystem cannot start; the game plays with the keys
void gamepadAdded(int deviceIndex);
void gamepadRemoved(int32_t instanceId);
int getGamepadCount();
gamepadControls readGamepads();
