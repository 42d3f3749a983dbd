#include "platform/system/syntheticinput.h"

#include "platform/system/virtualkeys.h"

#include <SDL.h>

void pushKeyEvent(uint32_t virtualKey, bool down, bool withAlt, bool repeat) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = nativeKeyFromVirtual(virtualKey);
    event.key.keysym.mod = withAlt ? KMOD_LALT : KMOD_NONE;
    SDL_PushEvent(&event);
}

void pushMouseButtonEvent(int x, int y, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void pushMouseMoveEvent(int x, int y) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
}

void pushCloseEvent() {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
}

namespace {

// The test's own handle on each virtual pad, which SDL needs to set its state.
SDL_Joystick* virtualJoystick(int deviceIndex) {
    return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(deviceIndex));
}

} // namespace

int attachVirtualGamepad() {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return -1;
    // SDL drops pad input while no window has the keyboard focus, and a
    // window of the dummy driver never has it.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    // Every button and axis present, so SDL maps joystick index i to the
    // controller's button or axis i.
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.name = "ZEB test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0)
        SDL_JoystickOpen(index); // kept open until detached, so its state can be set
    return index;
}

void detachVirtualGamepad(int deviceIndex) {
    if (SDL_Joystick* joystick = virtualJoystick(deviceIndex))
        SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(deviceIndex);
}

void setVirtualGamepad(int deviceIndex, virtualPadInput input, int16_t value) {
    SDL_Joystick* joystick = virtualJoystick(deviceIndex);
    if (joystick == nullptr)
        return;
    switch (input) {
    case virtualPadInput::leftStickX:
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, value);
        break;
    case virtualPadInput::rightTrigger:
        // A trigger's joystick axis rests at its minimum; the pad reads 0 to 32767.
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
                                   static_cast<Sint16>(2 * static_cast<int>(value) - 32768));
        break;
    case virtualPadInput::buttonA:
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, static_cast<Uint8>(value));
        break;
    case virtualPadInput::buttonB:
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, static_cast<Uint8>(value));
        break;
    case virtualPadInput::dpadLeft:
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, static_cast<Uint8>(value));
        break;
    case virtualPadInput::dpadRight:
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, static_cast<Uint8>(value));
        break;
    case virtualPadInput::dpadUp:
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_UP, static_cast<Uint8>(value));
        break;
    }
}

void pushTextEvent(const char* utf8) {
    SDL_Event event = {};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
    SDL_PushEvent(&event);
}
