// Court drawing. The only place where court units become window pixels. Results of the drawing
// calls are not examined: a failing call leaves its element missing and the frame goes on.
#include "render/court.h"

#include <SDL.h>

#include "app/window.h"
#include "game/game.h"
#include "render/score.h"
#include "render/screen.h"

namespace {

constexpr int kCentreLinePixelX = kCentreLineX / kUnitsPerPixel;
constexpr int kBallHalfSizePixels = kBallHalfSize / kUnitsPerPixel;

// ---------------------------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------------------------
void setColour(Uint8 level) {
    SDL_SetRenderDrawColor(gRenderer, level, level, level, 255);
}

constexpr Uint8 kBackground = 0;
constexpr Uint8 kForeground = 255;

// The hold sign, in court pixels: two bars, the centre line between them.
constexpr SDL_Rect kHoldSign[] = {{377, 270, 16, 60}, {408, 270, 16, 60}};

// Everything of a frame but its presentation: the court, both scores, both paddles and the ball,
// in the foreground colour.
void drawCourt(int playerScore, int opponentScore) {
    setColour(kBackground);
    SDL_RenderClear(gRenderer);
    setColour(kForeground);
    SDL_RenderDrawLine(gRenderer, kCentreLinePixelX, 0, kCentreLinePixelX, kWindowHeight);
    renderScore(playerScore, kPlayerPaddle);
    renderScore(opponentScore, kOpponentPaddle);
    renderPaddles();
    renderBall();
}

} // namespace

int courtToPixelTruncated(int v) {
    return v / kUnitsPerPixel;
}

int courtToPixelNearest(int v) {
    // The remainder carries the sign of v, so adding it rounds a half away from zero.
    return (v + v % kUnitsPerPixel) / kUnitsPerPixel;
}

void renderFrame(int playerScore, int opponentScore) {
    beginFrame();
    drawCourt(playerScore, opponentScore);
    showFrame();
}

void renderHeldFrame(int playerScore, int opponentScore) {
    beginFrame();
    drawCourt(playerScore, opponentScore);
    for (const SDL_Rect& bar : kHoldSign) {
        SDL_RenderFillRect(gRenderer, &bar);
    }
    showFrame();
}

void renderPaddles() {
    for (const auto& paddle : gPaddleApex) {
        // Edges 1 to 4, each from its starting corner to its ending corner.
        for (int corner = 0; corner < kPaddleCorners; ++corner) {
            const int(&from)[2] = paddle[corner];
            const int(&to)[2] = paddle[(corner + 1) % kPaddleCorners];
            SDL_RenderDrawLine(gRenderer, courtToPixelNearest(from[0]),
                               courtToPixelNearest(from[1]), courtToPixelNearest(to[0]),
                               courtToPixelNearest(to[1]));
        }
    }
}

void renderBall() {
    const int bx = courtToPixelTruncated(gBallX);
    const int by = courtToPixelTruncated(gBallY);
    const int left = bx - kBallHalfSizePixels;
    const int right = bx + kBallHalfSizePixels;
    const int top = by - kBallHalfSizePixels;
    const int bottom = by + kBallHalfSizePixels;

    // Top right to left, left top to bottom, bottom left to right, right bottom to top.
    SDL_RenderDrawLine(gRenderer, right, top, left, top);
    SDL_RenderDrawLine(gRenderer, left, top, left, bottom);
    SDL_RenderDrawLine(gRenderer, left, bottom, right, bottom);
    SDL_RenderDrawLine(gRenderer, right, bottom, right, top);
}
