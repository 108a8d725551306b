// The court on the screen. The game draws in court pixels, 800 × 600. Where the renderer's output
// is exactly that size (the window as it opens), it draws straight onto it, as it always has.
// Anywhere else (a resized or maximised window, full screen, a screen that scales windows), it
// draws into a court-sized texture, shown in the largest 4 : 3 area of the output, centred, black
// around it: nearest-pixel at one screen pixel per court pixel or more, so that at whole multiples
// every court pixel is an identical block and at fractional ones no line is lost; smoothed below
// that, so that lines blend rather than vanish.
#pragma once

#include <SDL.h>

// The largest 4 : 3 area of an output WIDTH × HEIGHT pixels, centred.
SDL_Rect courtArea(int width, int height);

// How the court is scaled into AREA: nearest-pixel unless it is smaller than the court.
SDL_ScaleMode courtScaleMode(const SDL_Rect& area);

// The texture the court is drawn into when it is scaled, made at start-up. Without it (a renderer
// that cannot draw into textures) the court is drawn unscaled. Returns 0 when it was made.
int createCourtTexture();
void destroyCourtTexture();

// Measures the renderer's output (at start-up, and whenever the window has changed) and chooses
// how the court is shown on it.
void fitCourtToOutput();

// A frame begins: where the court is scaled, drawing goes to its texture.
void beginFrame();

// A frame is shown: where the court is scaled, its texture is copied into the court's area first.
void showFrame();
