// Player control. Keys are read as held state once per frame, so holding a key gives one step a
// frame whatever the keyboard's auto-repeat does. A pad's D-pad, left stick and shoulder buttons
// hold the same keys (game/gamepad.h), alongside the keyboard.
#include "game/player.h"

#include <SDL.h>

#include "game/game.h"
#include "game/gamepad.h"

namespace {

constexpr int kMoveStep = 90;
constexpr int kHighestY = kPaddleHalfLength; // top end on the court's top at zero tilt
constexpr int kLowestY = kCourtHeight - kPaddleHalfLength - 1; // bottom end one unit short of it
constexpr double kTiltStep = 0.15;
constexpr double kTiltThreshold = 0.6354; // the limit less one step
constexpr float kTiltLimit = 0.7854f;

// Which keys must be held for a row to apply, and what it does. The first row whose keys are all
// held wins: Up beats Down and Right beats Left.
struct KeyRow {
    SDL_Scancode first;
    SDL_Scancode second; // SDL_SCANCODE_UNKNOWN when the row needs one key
    void (*move)();      // null when the row does not move
    void (*tilt)();      // null when the row does not tilt
};

constexpr KeyRow kKeyRows[] = {
    {SDL_SCANCODE_UP, SDL_SCANCODE_RIGHT, movePlayerUp, rotatePlayerRight},
    {SDL_SCANCODE_UP, SDL_SCANCODE_LEFT, movePlayerUp, rotatePlayerLeft},
    {SDL_SCANCODE_DOWN, SDL_SCANCODE_RIGHT, movePlayerDown, rotatePlayerRight},
    {SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT, movePlayerDown, rotatePlayerLeft},
    {SDL_SCANCODE_UP, SDL_SCANCODE_UNKNOWN, movePlayerUp, nullptr},
    {SDL_SCANCODE_DOWN, SDL_SCANCODE_UNKNOWN, movePlayerDown, nullptr},
    {SDL_SCANCODE_RIGHT, SDL_SCANCODE_UNKNOWN, nullptr, rotatePlayerRight},
    {SDL_SCANCODE_LEFT, SDL_SCANCODE_UNKNOWN, nullptr, rotatePlayerLeft},
};

// A key counts as held on the keyboard or on any pad.
bool isHeld(const Uint8* keyboard, SDL_Scancode key) {
    return keyboard[key] != 0 || gamepadHolds(key);
}

} // namespace

int moveAndRotatePlayer() {
    const Uint8* keyboard = SDL_GetKeyboardState(nullptr);
    for (const KeyRow& row : kKeyRows) {
        if (!isHeld(keyboard, row.first) ||
            (row.second != SDL_SCANCODE_UNKNOWN && !isHeld(keyboard, row.second))) {
            continue;
        }
        if (row.move != nullptr) {
            row.move();
        }
        if (row.tilt != nullptr) {
            row.tilt();
        }
        return 1;
    }
    return 0;
}

void movePlayerUp() {
    gPlayerY = gPlayerY <= kHighestY + kMoveStep ? kHighestY : gPlayerY - kMoveStep;
}

void movePlayerDown() {
    gPlayerY = gPlayerY > kLowestY - kMoveStep ? kLowestY : gPlayerY + kMoveStep;
}

// The angle is compared and stepped in double precision and stored in single precision, so a step
// that would overshoot the limit lands exactly on it.
void rotatePlayerRight() {
    const double angle = static_cast<double>(gPlayerOrientation);
    gPlayerOrientation =
        angle < kTiltThreshold ? static_cast<float>(angle + kTiltStep) : kTiltLimit;
}

void rotatePlayerLeft() {
    const double angle = static_cast<double>(gPlayerOrientation);
    gPlayerOrientation =
        angle > -kTiltThreshold ? static_cast<float>(angle - kTiltStep) : -kTiltLimit;
}
