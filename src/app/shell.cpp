// Start-up, media loading and shutdown of the game.
#include "app/shell.h"

#include "app/startup_messages.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "game/gamepad.h"
#include "game/match.h"
#include "game/paddle.h"
#include "render/screen.h"

SDL_Window* gWindow = nullptr;
SDL_Renderer* gRenderer = nullptr;
Mix_Music* gMus[kMusicCount] = {};
Mix_Chunk* gSnd[kSoundCount] = {};

namespace {

constexpr int kAudioFrequency = 44100;
constexpr int kAudioChannels = 2;
constexpr int kAudioChunkSize = 2048;

// ---------------------------------------------------------------------------------------------
// Start-up steps, run in order until one fails
// ---------------------------------------------------------------------------------------------
// When no display can be reached, SDL 2 quietly falls back to a video driver that shows nothing;
// the game would then play unseen, with its music, and no window to close. Those drivers are
// accepted only when the user chose the video driver by name. SDL 3 (under sdl2-compat) has no
// such fallback: there SDL_Init fails, with whatever the last driver tried said ("No available
// video device", or " not available" for an empty SDL_VIDEODRIVER). Either way the user is told
// the same thing.
constexpr const char* kUnseenVideoDrivers[] = {"offscreen", "dummy"};
constexpr const char* kNoDisplayError = "No display could be opened (check DISPLAY or "
                                        "WAYLAND_DISPLAY); SDL_VIDEODRIVER=%s runs the game "
                                        "without one";

bool videoDriverShowsNothing(const char* driver) {
    for (const char* unseen : kUnseenVideoDrivers) {
        if (std::strcmp(driver, unseen) == 0) {
            return true;
        }
    }
    return false;
}

bool userChoseVideoDriver() {
    const char* chosen = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return chosen != nullptr && chosen[0] != '\0';
}

// After a failed SDL_Init: whether video is the part that cannot start, asked of SDL itself. When
// it can, the video is shut down again and SDL_Init's own error text is kept.
bool videoCannotStart() {
    char initError[256];
    std::snprintf(initError, sizeof initError, "%s", SDL_GetError());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0) {
        return true;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_SetError("%s", initError);
    return false;
}

bool startSubsystems() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0) {
        if (!userChoseVideoDriver() && videoCannotStart()) {
            SDL_SetError(kNoDisplayError, kUnseenVideoDrivers[0]);
        }
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && videoDriverShowsNothing(driver) && !userChoseVideoDriver()) {
        SDL_SetError(kNoDisplayError, driver);
        return false;
    }
    return true;
}

bool createWindow() {
    gWindow = SDL_CreateWindow("Quorvix", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                               kWindowWidth, kWindowHeight, kWindowFlags);
    return gWindow != nullptr;
}

// A new renderer starts with the background colour; that call's result is not examined.
bool createRenderer() {
    gRenderer =
        SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (gRenderer == nullptr) {
        return false;
    }
    SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
    return true;
}

bool openAudio() {
    return Mix_OpenAudio(kAudioFrequency, MIX_DEFAULT_FORMAT, kAudioChannels, kAudioChunkSize) >= 0;
}

// Every step can fail, and each has its message, printed with SDL_GetError() when it does.
struct StartupStep {
    bool (*run)();
    const char* failureFormat;
};

constexpr StartupStep kStartupSteps[] = {
    {startSubsystems, "SDL could not initialize! SDL Error: %s\n"},
    {createWindow, "Window could not be created! SDL Error: %s\n"},
    {createRenderer, "Renderer could not be created! SDL Error: %s\n"},
    {openAudio, "SDL_mixer could not initialize! SDL_mixer Error: %s\n"},
};

// ---------------------------------------------------------------------------------------------
// Media
// ---------------------------------------------------------------------------------------------

// The mixer's loaders are handed only regular files, or names that do not exist (which they report
// themselves). A directory in a media file's place crashes the MIDI loader, and a FIFO or a device
// would block start-up or never end; such a file fails with its own error text instead.
bool isLoadable(const char* path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    switch (type) {
    case fs::file_type::directory:
    case fs::file_type::fifo:
    case fs::file_type::socket:
    case fs::file_type::block:
    case fs::file_type::character:
        SDL_SetError("'%s' is not a regular file", path);
        return false;
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// Release
// ---------------------------------------------------------------------------------------------

// Where the mixer loads FluidSynth at run time (Debian 13), FluidSynth loads the soundfont's
// samples on OpenMP worker threads, and those threads stay for the life of the process, idling in
// the OpenMP runtime's code. Mix_Quit unloads FluidSynth, and the runtime with it, so a worker
// still spinning, or woken later, ran into unmapped code and crashed the game at exit. The
// runtime, if it is in the process at all, is kept loaded from here on; nothing else changes.
// (Windows has neither FluidSynth in the mixer nor dlopen.)
#ifndef _WIN32
constexpr const char* kOpenMpRuntime = "libgomp.so.1";
#endif

void keepOpenMpRuntimeLoaded() {
#ifndef _WIN32
    dlopen(kOpenMpRuntime, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
#endif
}

} // namespace

int initializeSDL() {
    for (const StartupStep& step : kStartupSteps) {
        if (!step.run()) {
            std::printf(step.failureFormat, SDL_GetError());
            return 1;
        }
    }
    // Pads and scaling are welcome but never needed: without controller support the game plays
    // without pads, and without its texture the court is shown unscaled.
    startGamepads();
    createCourtTexture();
    fitCourtToOutput();
    return 0;
}

int loadMedia() {
    int failed = 0;
    char path[32];

    for (int i = 0; i < kMusicCount; ++i) {
        std::snprintf(path, sizeof path, "res/mus%02d.mid", i);
        gMus[i] = isLoadable(path) ? Mix_LoadMUS(path) : nullptr;
        if (gMus[i] == nullptr) {
            std::printf("Failed to load music %02d! SDL_mixer Error: %s\n", i, SDL_GetError());
            failed = 1;
        }
    }

    for (int i = 0; i < kSoundCount; ++i) {
        std::snprintf(path, sizeof path, "res/snd%02d.wav", i);
        gSnd[i] = isLoadable(path) ? Mix_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1) : nullptr;
        if (gSnd[i] == nullptr) {
            std::printf("Failed to load snd%02d sound effect! SDL_mixer Error: %s\n", i,
                        SDL_GetError());
            failed = 1;
        }
    }

    return failed;
}

void closeSDL() {
    closeGamepads();
    for (Mix_Music*& music : gMus) {
        Mix_FreeMusic(music);
        music = nullptr;
    }
    for (Mix_Chunk*& sound : gSnd) {
        Mix_FreeChunk(sound);
        sound = nullptr;
    }
    destroyCourtTexture();
    SDL_DestroyRenderer(gRenderer);
    gRenderer = nullptr;
    SDL_DestroyWindow(gWindow);
    gWindow = nullptr;
    keepOpenMpRuntimeLoaded();
    Mix_Quit();
    SDL_Quit();
}

int SDL_main(int argc, char* argv[]) {
    collectStartupMessages();
    setPaddleShape();

    int status = 0;
    if (initializeSDL() != 0) {
        std::puts("Failed to initialize!");
        status = 1;
    } else if (loadMedia() != 0) {
        std::puts("Failed to load media!");
        status = 1;
    } else {
        if (kOwnsWindow && startsInFullscreen(argc, argv)) {
            setFullscreen(true);
        }
        int keepPlaying = 1;
        while (keepPlaying != 0) {
            keepPlaying = play();
        }
    }

    closeSDL();
    showStartupMessages();
    return status;
}
