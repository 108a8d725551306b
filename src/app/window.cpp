// The window: full screen and back, from the keys or the command line.
#include "app/window.h"

#include <cstring>

#include "render/screen.h"

namespace {

constexpr const char* kFullscreenArgument = "--fullscreen";

bool isFullscreenKey(const SDL_Keysym& key) {
    const bool alt = (key.mod & KMOD_ALT) != 0;
    return key.sym == SDLK_F11 || (alt && (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER));
}

} // namespace

bool startsInFullscreen(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && std::strcmp(argv[i], kFullscreenArgument) == 0) {
            return true;
        }
    }
    return false;
}

void setFullscreen(bool on) {
    if (SDL_SetWindowFullscreen(gWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0) {
        SDL_ShowCursor(on ? SDL_DISABLE : SDL_ENABLE);
    }
    fitCourtToOutput();
}

bool isFullscreen() {
    return (SDL_GetWindowFlags(gWindow) & SDL_WINDOW_FULLSCREEN) != 0;
}

void handleWindowEvent(const SDL_Event& event) {
    if (!kOwnsWindow) {
        return;
    }
    if (event.type == SDL_WINDOWEVENT) {
        fitCourtToOutput();
    } else if (event.type == SDL_KEYDOWN && event.key.repeat == 0) {
        if (isFullscreenKey(event.key.keysym)) {
            setFullscreen(!isFullscreen());
        } else if (event.key.keysym.sym == SDLK_ESCAPE && isFullscreen()) {
            setFullscreen(false);
        }
    }
}
