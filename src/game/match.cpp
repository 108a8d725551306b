// The match loop. Each frame: drain the events, update the game (score a ball that left the court,
// move both paddles, move the ball between two paddle-hit steps), draw, hold the frame rate, and
// pause after a point or a match. While the player holds the game, a frame only drains the events
// and shows the last frame again with the hold sign, at the same rate.
#include "game/match.h"

#include <SDL.h>

#include "app/media.h"
#include "app/window.h"
#include "game/ball.h"
#include "game/bounce.h"
#include "game/game.h"
#include "game/gamepad.h"
#include "game/hold.h"
#include "game/opponent.h"
#include "game/paddle.h"
#include "game/player.h"
#include "render/court.h"

namespace {

constexpr int kWinningScore = 10;
constexpr Uint32 kFrameMs = 20;
constexpr Uint32 kPointPauseMs = 500;
constexpr Uint32 kMatchOverPauseMs = 2500;

// Serves: the ball always starts on the centre line moving up; where and which way depends on
// who scored.
constexpr int kServeSpeed = 50;
constexpr int kStartServeY = 5400;
constexpr int kPlayerPointServeY = 4800;
constexpr int kOpponentPointServeY = 1800;

// Ends the loop on the quit event. Pads plugged in or out are opened or closed, the full-screen
// keys and changes of the window's size are handled, and the hold and mute are settled once the
// queue is empty; every other event is discarded (keys and pads are read as held state).
bool quitRequested() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) {
            return true;
        }
        handleGamepadEvent(event);
        handleWindowEvent(event);
        handleHoldEvent(event);
    }
    settleHold();
    return false;
}

// Waits out the rest of a 20 ms frame. Unsigned subtraction gives the true elapsed time across a
// wrap of the tick counter.
void holdFrameRate(Uint32 frameStart) {
    const Uint32 elapsed = SDL_GetTicks() - frameStart;
    if (elapsed < kFrameMs) {
        SDL_Delay(kFrameMs - elapsed);
    }
}

// The pause after a point, or after a match, which then starts again from 0 to 0.
void pauseAfterPoint(MatchState& match) {
    if (match.pointPause != 0) {
        SDL_Delay(kPointPauseMs);
        match.pointPause = 0;
    }
    if (match.matchOver != 0) {
        SDL_Delay(kMatchOverPauseMs);
        startNextMatch(match);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The update
// ---------------------------------------------------------------------------------------------
void serveBall(int y, int vx) {
    gBallX = kCentreLineX;
    gBallY = y;
    gBallVx = vx;
    gBallVy = -kServeSpeed;
}

void startNextMatch(MatchState& match) {
    match = MatchState{};
}

void startPlay() {
    serveBall(kStartServeY, -kServeSpeed);
    gPlayerY = kPaddleCentreY;
    gPlayerOrientation = 0.0f;
    gOpponentY = kPaddleCentreY;
    gOpponentOrientation = 0.0f;
    computePaddleApex(kPlayerPaddle, kPlayerPaddleX, gPlayerY, gPlayerOrientation);
    computePaddleApex(kOpponentPaddle, kOpponentPaddleX, gOpponentY, gOpponentOrientation);
}

void updateGame(MatchState& match) {
    // The player's point: the ball left the court on the right.
    if (gBallX > kCourtWidth) {
        ++match.playerScore;
        if (match.playerScore == kWinningScore) {
            startVictoryMusic();
            match.matchOver = 1;
        } else {
            match.pointPause = 1;
        }
        serveBall(kPlayerPointServeY, -kServeSpeed);
    }

    // The opponent's point: the ball left the court on the left. The sound comes first.
    if (gBallX < 0) {
        startSoundEffect(kPointLostSound);
        ++match.opponentScore;
        if (match.opponentScore == kWinningScore) {
            match.matchOver = 1;
        } else {
            match.pointPause = 1;
        }
        serveBall(kOpponentPointServeY, kServeSpeed);
    }

    // Both paddle-hit steps of the frame test the paddle on the ball's current side.
    const int paddleUnderTest = gBallX > kCentreLineX ? kOpponentPaddle : kPlayerPaddle;

    moveAndRotatePlayer();
    computePaddleApex(kPlayerPaddle, kPlayerPaddleX, gPlayerY, gPlayerOrientation);
    moveOpponent();
    computePaddleApex(kOpponentPaddle, kOpponentPaddleX, gOpponentY, gOpponentOrientation);

    resolvePaddleHit(paddleUnderTest);
    moveBall();
    resolvePaddleHit(paddleUnderTest);
}

// ---------------------------------------------------------------------------------------------
// The loop
// ---------------------------------------------------------------------------------------------
int play() {
    MatchState match;
    startPlay();

    for (;;) {
        const Uint32 frameStart = SDL_GetTicks();
        if (quitRequested()) {
            return 0;
        }
        if (gHold.held) {
            renderHeldFrame(match.playerScore, match.opponentScore);
        } else {
            updateGame(match);
            renderFrame(match.playerScore, match.opponentScore);
        }
        holdFrameRate(frameStart);
        pauseAfterPoint(match);
    }
}
