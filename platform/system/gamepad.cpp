#include "platform/system/gamepad.h"

#include <SDL.h>

#include <vector>

namespace {

std::vector<SDL_GameController*> g_pads;

bool pressed(SDL_GameController* pad, SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(pad, button) != 0;
}

void addControls(SDL_GameController* pad, gamepadControls& controls) {
    const Sint16 stick = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    const Sint16 trigger = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    controls.left |= stick < -GAMEPAD_STICK_DEAD_ZONE || pressed(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    controls.right |= stick > GAMEPAD_STICK_DEAD_ZONE || pressed(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    controls.thrust |= trigger > GAMEPAD_TRIGGER_THRESHOLD || pressed(pad, SDL_CONTROLLER_BUTTON_B) ||
                       pressed(pad, SDL_CONTROLLER_BUTTON_DPAD_UP);
    controls.fire |=
        pressed(pad, SDL_CONTROLLER_BUTTON_A) || pressed(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
}

} // namespace

bool initialiseGamepads() {
    return SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0 || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

// SDL announces pads already plugged in at start as arrivals too; a pad is
// opened once however often it is announced.
void gamepadAdded(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex))
        return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (SDL_GameController* pad : g_pads) {
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id)
            return;
    }
    if (SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex))
        g_pads.push_back(pad);
}

void gamepadRemoved(int32_t instanceId) {
    for (size_t i = 0; i < g_pads.size(); ++i) {
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(g_pads[i])) == instanceId) {
            SDL_GameControllerClose(g_pads[i]);
            g_pads.erase(g_pads.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

int getGamepadCount() {
    return static_cast<int>(g_pads.size());
}

gamepadControls readGamepads() {
    gamepadControls controls;
    for (SDL_GameController* pad : g_pads)
        addControls(pad, controls);
    return controls;
}
