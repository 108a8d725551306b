// Plays the victory music once, as the game does when the player wins a match, through the same
// mixer build, Timidity configuration and instrument patches as the browser edition of the game.
// The browser test listens for it in Web Audio; in the game it takes ten points to be heard. The
// page can point the mixer (TIMIDITY_CFG) at freepats' whole patches instead, so that the test can
// hear that the game's trimmed copies play the same music.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

int main(int /*argc*/, char* /*argv*/[]) {
    if (SDL_Init(SDL_INIT_AUDIO) < 0 || Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) < 0) {
        std::printf("music probe: no audio: %s\n", SDL_GetError());
        return 1;
    }
    Mix_Music* music = Mix_LoadMUS("res/mus00.mid");
    if (music == nullptr) {
        std::printf("music probe: cannot load res/mus00.mid: %s\n", SDL_GetError());
        return 1;
    }
    Mix_PlayMusic(music, 0);
    std::puts("music probe: playing");
    while (Mix_PlayingMusic() != 0) {
        SDL_Delay(20);
    }
    std::puts("music probe: done");
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    SDL_Quit();
    return 0;
}
