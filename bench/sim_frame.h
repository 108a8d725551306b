// The game's own update, frame after frame, without events, drawing or pacing: the pauses after
// a point or a match are the loop's, so here a finished match starts again at once.
#pragma once

#include "game/match.h"
#include "game/paddle.h"

inline void startSimulation() {
    setPaddleShape();
    startPlay();
}

inline void simulateFrame(MatchState& match) {
    updateGame(match);
    if (match.matchOver != 0) {
        startNextMatch(match);
    }
    match.pointPause = 0;
}
