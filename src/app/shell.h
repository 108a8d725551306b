// The application shell: the window, the renderer and the media, from start-up to release.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

// Media slots: the victory music and the three sound effects.
constexpr int kMusicCount = 1;
constexpr int kSoundCount = 3;
constexpr int kVictoryMusic = 0;
constexpr int kWallSound = 0;
constexpr int kPaddleSound = 1;
constexpr int kPointLostSound = 2;

extern SDL_Window* gWindow;
extern SDL_Renderer* gRenderer;
extern Mix_Music* gMus[kMusicCount];
extern Mix_Chunk* gSnd[kSoundCount];

// Brings up video and audio, the window and its renderer; prints the failing step's message and
// returns 1 at the first failure, 0 when everything is up.
int initializeSDL();

// Loads every media file, reporting each one that fails; returns 1 if any failed, else 0.
int loadMedia();

// Releases the media, the renderer and the window, then quits the libraries. Safe after a partial
// start-up; every handle is null afterwards.
void closeSDL();

// Starts a sound effect on the first free channel, once, without waiting for it. A sound that
// cannot start is simply not heard.
inline void startSoundEffect(int slot) {
    Mix_PlayChannelTimed(-1, gSnd[slot], 0, -1);
}

// The program: start-up, the match loop, release. Returns 0 after the window is closed and 1
// when start-up failed. (SDL_main itself is declared by SDL's own headers.)
