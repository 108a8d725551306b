// The player's hold and mute. A hold stands the game still: nothing moves or scores, every frame
// shows the last one again with the hold sign, and the sounds wait where they were. P, the Pause
// key or a pad's Start button holds and releases it; the window losing the focus, being minimised
// or hidden holds it too, and it stays held until the player releases it. M mutes and unmutes
// every sound by volume: what is started while muted still plays, unheard.
//
// "Hold" is the player's pause; the match loop's pauses after a point and a match are its own.
#pragma once

#include <SDL.h>

struct HoldState {
    bool held = false;  // the game stands still until the player releases it
    bool muted = false; // every channel and the music play at volume 0
    // The window as the events so far left it, and as the last event drain left it. It is looked
    // at only once it has had the keyboard focus: until then a window manager may still be hiding
    // and showing it as it adopts it, over more than one drain on a busy machine.
    bool hadFocus = false;
    bool hidden = false;
    bool minimised = false;
    bool unfocused = false;
    bool away = false;
    // Asked for during the current event drain: a change of hold, a change of mute.
    bool holdAsked = false;
    bool muteAsked = false;
};

extern HoldState gHold;

// One event of the frame's drain: the hold and mute keys, a pad's Start button, and the window
// being looked away from or back at. Acted on only when the drain is over (settleHold).
void handleHoldEvent(const SDL_Event& event);

// After the frame's drain: applies what its events asked for. The game is held when the player
// asked, or when the window, once it has had the focus, went from looked at to looked away from
// over the drain (so that a window hidden and shown again within it holds nothing). Pauses or
// resumes the sounds, sets their volume, and tells the page.
void settleHold();
