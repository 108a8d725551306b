// The player's hold and mute, from the frame's events.
#include "game/hold.h"

#include "app/media.h"

#ifdef __EMSCRIPTEN__
// The page's side (packaging/web/game-to-page.js).
extern "C" void quorvix_show_hold(int held, int muted);
#endif

HoldState gHold;

namespace {

// Letters with Ctrl, Alt or the system key held are the desktop's and the browser's shortcuts.
bool isPlainKey(const SDL_Keysym& key) {
    return (key.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) == 0;
}

void handleKey(const SDL_KeyboardEvent& key) {
    if (key.repeat != 0) {
        return;
    }
    if (key.keysym.sym == SDLK_PAUSE || (key.keysym.sym == SDLK_p && isPlainKey(key.keysym))) {
        gHold.holdAsked = !gHold.holdAsked;
    } else if (key.keysym.sym == SDLK_m && isPlainKey(key.keysym)) {
        gHold.muteAsked = !gHold.muteAsked;
    }
}

void handleWindow(Uint8 change) {
    switch (change) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
        gHold.unfocused = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        gHold.hadFocus = true;
        gHold.unfocused = false;
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        gHold.hidden = true;
        break;
    case SDL_WINDOWEVENT_SHOWN:
        gHold.hidden = false;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        gHold.minimised = true;
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        gHold.minimised = false;
        break;
    default:
        break;
    }
}

// The page shows its Pause and Mute buttons pressed while the game is held or muted.
void tellPage() {
#ifdef __EMSCRIPTEN__
    quorvix_show_hold(gHold.held ? 1 : 0, gHold.muted ? 1 : 0);
#endif
}

} // namespace

void handleHoldEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) {
        handleKey(event.key);
    } else if (event.type == SDL_CONTROLLERBUTTONDOWN &&
               event.cbutton.button == SDL_CONTROLLER_BUTTON_START) {
        gHold.holdAsked = !gHold.holdAsked;
    } else if (event.type == SDL_WINDOWEVENT) {
        handleWindow(event.window.event);
    }
}

void settleHold() {
    const bool away = gHold.hadFocus && (gHold.hidden || gHold.minimised || gHold.unfocused);
    const bool lookedAway = away && !gHold.away;
    gHold.away = away;

    const bool held = lookedAway || (gHold.held != gHold.holdAsked);
    const bool muted = gHold.muted != gHold.muteAsked;
    const bool changed = held != gHold.held || muted != gHold.muted;
    gHold.holdAsked = false;
    gHold.muteAsked = false;
    if (held != gHold.held) {
        gHold.held = held;
        if (held) {
            pauseAllSound();
        } else {
            resumeAllSound();
        }
    }
    if (muted != gHold.muted) {
        gHold.muted = muted;
        setSoundVolume(muted ? 0 : MIX_MAX_VOLUME);
    }
    if (changed) {
        tellPage();
    }
}
