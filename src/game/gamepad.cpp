// Game controllers standing in for the arrow keys.
#include "game/gamepad.h"

namespace {

// An axis acts as its key once pushed past half of its travel (SDL reports -32768 to 32767), so
// a stick pushed 20 degrees off straight up moves without tilting.
constexpr Sint16 kHalfTravel = 16384;

SDL_GameController* gGamepads[kMaxGamepads] = {};
int gOpenGamepads = 0; // so that with no pad a frame does not look through the slots

// What stands for each arrow key: a D-pad button, a stick axis and its direction, and for the
// tilting keys a shoulder button (SDL_CONTROLLER_BUTTON_INVALID where there is none).
struct PadBinding {
    SDL_Scancode key;
    SDL_GameControllerButton dpad;
    SDL_GameControllerAxis axis;
    int direction; // -1: the axis's negative end (up, left); 1: its positive end
    SDL_GameControllerButton shoulder;
};

constexpr PadBinding kPadBindings[] = {
    {SDL_SCANCODE_UP, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_AXIS_LEFTY, -1,
     SDL_CONTROLLER_BUTTON_INVALID},
    {SDL_SCANCODE_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_AXIS_LEFTY, 1,
     SDL_CONTROLLER_BUTTON_INVALID},
    {SDL_SCANCODE_LEFT, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_AXIS_LEFTX, -1,
     SDL_CONTROLLER_BUTTON_LEFTSHOULDER},
    {SDL_SCANCODE_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_AXIS_LEFTX, 1,
     SDL_CONTROLLER_BUTTON_RIGHTSHOULDER},
};

bool holds(SDL_GameController* pad, const PadBinding& binding) {
    if (SDL_GameControllerGetButton(pad, binding.dpad) != 0) {
        return true;
    }
    if (binding.shoulder != SDL_CONTROLLER_BUTTON_INVALID &&
        SDL_GameControllerGetButton(pad, binding.shoulder) != 0) {
        return true;
    }
    const Sint16 position = SDL_GameControllerGetAxis(pad, binding.axis);
    return binding.direction < 0 ? position < -kHalfTravel : position > kHalfTravel;
}

SDL_JoystickID idOf(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

void openGamepad(int deviceIndex) {
    if (SDL_IsGameController(deviceIndex) == SDL_FALSE) {
        return;
    }
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (SDL_GameController* pad : gGamepads) {
        if (pad != nullptr && idOf(pad) == id) {
            return; // already open
        }
    }
    for (SDL_GameController*& slot : gGamepads) {
        if (slot == nullptr) {
            slot = SDL_GameControllerOpen(deviceIndex);
            gOpenGamepads += slot != nullptr ? 1 : 0;
            return;
        }
    }
}

void closeGamepad(SDL_JoystickID id) {
    for (SDL_GameController*& pad : gGamepads) {
        if (pad != nullptr && idOf(pad) == id) {
            SDL_GameControllerClose(pad);
            pad = nullptr;
            --gOpenGamepads;
        }
    }
}

} // namespace

void startGamepads() {
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void handleGamepadEvent(const SDL_Event& event) {
    if (event.type == SDL_CONTROLLERDEVICEADDED) {
        openGamepad(event.cdevice.which);
    } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
        closeGamepad(event.cdevice.which);
    }
}

bool gamepadHolds(SDL_Scancode scancode) {
    if (gOpenGamepads == 0) {
        return false;
    }
    for (const PadBinding& binding : kPadBindings) {
        if (binding.key != scancode) {
            continue;
        }
        for (SDL_GameController* pad : gGamepads) {
            if (pad != nullptr && holds(pad, binding)) {
                return true;
            }
        }
    }
    return false;
}

void closeGamepads() {
    for (SDL_GameController*& pad : gGamepads) {
        if (pad != nullptr) {
            SDL_GameControllerClose(pad);
            pad = nullptr;
        }
    }
    gOpenGamepads = 0;
}
