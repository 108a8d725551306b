// The game's music and sound effects: loaded at start-up and freed at release (app/shell.cpp),
// played by the match, the ball and the paddle-hit step. Results of playback are never examined:
// a sound that cannot start is simply not heard.
#pragma once

#include <SDL_mixer.h>

// Media slots: the victory music and the three sound effects.
constexpr int kMusicCount = 1;
constexpr int kSoundCount = 3;
constexpr int kVictoryMusic = 0;
constexpr int kWallSound = 0;
constexpr int kPaddleSound = 1;
constexpr int kPointLostSound = 2;

extern Mix_Music* gMus[kMusicCount];
extern Mix_Chunk* gSnd[kSoundCount];

// Starts a sound effect on the first free channel, once, without waiting for it.
inline void startSoundEffect(int slot) {
    Mix_PlayChannelTimed(-1, gSnd[slot], 0, -1);
}

// Starts the victory music, played once.
inline void startVictoryMusic() {
    Mix_PlayMusic(gMus[kVictoryMusic], 0);
}

// Every sound effect and the music stop where they are, and go on from there.
inline void pauseAllSound() {
    Mix_Pause(-1);
    Mix_PauseMusic();
}

inline void resumeAllSound() {
    Mix_Resume(-1);
    Mix_ResumeMusic();
}

// The volume of every channel and of the music, 0 (silent) to MIX_MAX_VOLUME; it holds for sounds
// started later too.
inline void setSoundVolume(int volume) {
    Mix_Volume(-1, volume);
    Mix_VolumeMusic(volume);
}
