// The game's window, its size and the court's scale in it, and the renderer every frame is drawn
// with. The window and renderer are created at start-up and destroyed at release (app/shell.cpp).
// The window opens at 800 × 600 and may be resized, maximised or made full screen; the court is
// then scaled to it (render/screen.h).
#pragma once

#include <SDL.h>

#include "game/game.h"

// The window shows the whole court at one pixel for this many court units each way.
constexpr int kUnitsPerPixel = 10;
constexpr int kWindowWidth = kCourtWidth / kUnitsPerPixel;   // 800
constexpr int kWindowHeight = kCourtHeight / kUnitsPerPixel; // 600

#ifdef __EMSCRIPTEN__
// In a browser the page sizes the canvas and puts it in full screen; the game keeps its 800 × 600
// canvas and leaves the keys to the page.
constexpr bool kOwnsWindow = false;
#else
constexpr bool kOwnsWindow = true;
#endif

// Shown at once, resizable, and in the screen's own pixels where the desktop scales windows.
constexpr Uint32 kWindowFlags =
    kOwnsWindow ? SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI
                : SDL_WINDOW_SHOWN;

extern SDL_Window* gWindow;
extern SDL_Renderer* gRenderer;

// Whether the arguments ask for full screen from the start ("--fullscreen"; anything else is
// ignored).
bool startsInFullscreen(int argc, char* argv[]);

// Full screen at the desktop's own resolution, the mouse pointer hidden; or back to the window.
// Where full screen cannot be had, the window stays as it is.
void setFullscreen(bool on);
bool isFullscreen();

// F11 and Alt+Enter switch between the window and full screen, Escape leaves full screen; a
// window that changed size or screen has the court fitted to it again. Other events are ignored.
void handleWindowEvent(const SDL_Event& event);
