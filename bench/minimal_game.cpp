// The reference for the game's speed: a minimal SDL program that does what the game does apart
// from the simulation. It opens the same window, renderer and audio device, loads the same media,
// and each frame polls events, draws the same 13 lines and 8 score rectangles (0 to 0) and
// presents, paced to 20 ms. It exits 0 on the quit event.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

namespace {

constexpr SDL_Rect kScoreRects[] = {
    {360, 20, 8, 48}, {340, 20, 8, 48}, {340, 20, 20, 8}, {340, 60, 20, 8},
    {460, 20, 8, 48}, {440, 20, 8, 48}, {440, 20, 20, 8}, {440, 60, 20, 8},
};

constexpr int kLines[][4] = {
    {400, 0, 400, 600},   {56, 364, 24, 364},   {24, 364, 24, 236},   {24, 236, 56, 236},
    {56, 236, 56, 364},   {776, 364, 744, 364}, {744, 364, 744, 236}, {744, 236, 776, 236},
    {776, 236, 776, 364}, {411, 519, 379, 519}, {379, 519, 379, 551}, {379, 551, 411, 551},
    {411, 551, 411, 519},
};

} // namespace

int main(int /*argc*/, char* /*argv*/[]) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0) {
        std::printf("SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Quorvix reference", SDL_WINDOWPOS_UNDEFINED,
                                          SDL_WINDOWPOS_UNDEFINED, 800, 600, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer =
        window != nullptr
            ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC)
            : nullptr;
    if (renderer == nullptr || Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) < 0) {
        std::printf("start-up: %s\n", SDL_GetError());
        return 1;
    }
    Mix_Music* music = Mix_LoadMUS("res/mus00.mid");
    Mix_Chunk* sounds[3];
    char path[32];
    for (int i = 0; i < 3; ++i) {
        std::snprintf(path, sizeof path, "res/snd%02d.wav", i);
        sounds[i] = Mix_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1);
    }
    if (music == nullptr || sounds[0] == nullptr || sounds[1] == nullptr || sounds[2] == nullptr) {
        std::printf("media: %s\n", SDL_GetError());
        return 1;
    }

    for (bool running = true; running;) {
        const Uint32 start = SDL_GetTicks();
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            running = running && event.type != SDL_QUIT;
        }
        if (!running) {
            break;
        }
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
        for (const auto& line : kLines) {
            SDL_RenderDrawLine(renderer, line[0], line[1], line[2], line[3]);
        }
        for (const SDL_Rect& rect : kScoreRects) {
            SDL_RenderFillRect(renderer, &rect);
        }
        SDL_RenderPresent(renderer);
        const Uint32 elapsed = SDL_GetTicks() - start;
        if (elapsed < 20) {
            SDL_Delay(20 - elapsed);
        }
    }

    Mix_FreeMusic(music);
    for (Mix_Chunk* sound : sounds) {
        Mix_FreeChunk(sound);
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    Mix_Quit();
    SDL_Quit();
    return 0;
}
