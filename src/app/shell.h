// The application shell: the window, the renderer and the media, from start-up to release.
#pragma once

#include "app/media.h"
#include "app/window.h"

// Brings up video and audio, the window and its renderer; prints the failing step's message and
// returns 1 at the first failure, 0 when everything is up.
int initializeSDL();

// Loads every media file, reporting each one that fails; returns 1 if any failed, else 0.
int loadMedia();

// Releases the media, the renderer and the window, then quits the libraries. Safe after a partial
// start-up; every handle is null afterwards.
void closeSDL();

// The program: start-up, the match loop, release. Returns 0 after the window is closed and 1
// when start-up failed. SDL's own headers declare it too, with C linkage, which this keeps.
int SDL_main(int argc, char* argv[]);
