// The game's window and the renderer every frame is drawn with, created at start-up and destroyed
// at release (app/shell.cpp).
#pragma once

#include <SDL.h>

extern SDL_Window* gWindow;
extern SDL_Renderer* gRenderer;
