// The game's window, its size and the court's scale in it, and the renderer every frame is drawn
// with. The window and renderer are created at start-up and destroyed at release (app/shell.cpp).
#pragma once

#include <SDL.h>

#include "game/game.h"

// The window shows the whole court at one pixel for this many court units each way.
constexpr int kUnitsPerPixel = 10;
constexpr int kWindowWidth = kCourtWidth / kUnitsPerPixel;   // 800
constexpr int kWindowHeight = kCourtHeight / kUnitsPerPixel; // 600

extern SDL_Window* gWindow;
extern SDL_Renderer* gRenderer;
