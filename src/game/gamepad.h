// Game controllers: any pad SDL knows as one, plugged in before the game starts or at any time
// while it runs, stands in for the arrow keys. Its D-pad is the four keys one to one, its left
// stick the same past half of each axis's travel, and its shoulder buttons tilt (left shoulder
// left, right shoulder right). With several pads, any of them plays. Where SDL has no controller
// support the game plays on without pads.
#pragma once

#include <SDL.h>

// Pads open at a time; more are simply not read.
constexpr int kMaxGamepads = 8;

// Starts SDL's controller support; the pads already plugged in arrive as events of the next drain.
void startGamepads();

// A pad plugged in is opened, one unplugged is closed; other events are ignored.
void handleGamepadEvent(const SDL_Event& event);

// Whether any open pad holds the direction that the arrow key SCANCODE stands for.
bool gamepadHolds(SDL_Scancode scancode);

// Closes every open pad.
void closeGamepads();
