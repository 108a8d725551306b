// One frame of the simulation in the match loop's order, without events, drawing or pacing; the
// ball is served again whenever it leaves the court so that runs of any length stay in play.
#pragma once

#include "game/game.h"
#include "game/match.h"

inline void startSimulation() {
    gPaddleHalfDiagonal = 659.6969f;
    gPaddleAlpha1 = 1.3258177f;
    gPaddleAlpha2 = static_cast<float>(3.141592 - static_cast<double>(gPaddleAlpha1));
    serveBall(5400, -50);
    gPlayerY = gOpponentY = 3000;
    gPlayerOrientation = gOpponentOrientation = 0.0f;
}

inline void simulateFrame() {
    if (gBallX > kCourtWidth) {
        serveBall(4800, -50);
    }
    if (gBallX < 0) {
        serveBall(1800, 50);
    }
    advanceSimulation(gBallX > kCentreLineX ? kOpponentPaddle : kPlayerPaddle);
}
