// The paddle-hit step. A bounce switches collision testing off for the next 20 steps (shared by
// both paddles, counted in steps, not frames), so a ball still touching the paddle right after a
// bounce is not reflected again at once.
#include "game/bounce.h"

#include "app/media.h"
#include "game/collision.h"
#include "game/game.h"

namespace {

constexpr int kCooldownSteps = 20;
constexpr int kMaxAcceleratedSquaredSpeed = 39999; // below a speed of 200 per frame
constexpr int kSpeedUpPercent = 103;

// v * 1.03 to the nearest integer, halves away from zero, in integer arithmetic: the remainder
// carries the sign of the product, so adding it before truncating rounds the half outward.
int speedUp(int v) {
    const int w = kSpeedUpPercent * v;
    return (w + w % 100) / 100;
}

} // namespace

void resolvePaddleHit(int paddleIndex) {
    if (gBounceCooldown != 0) {
        --gBounceCooldown;
        return;
    }
    const int edge = checkCollisionWithPaddle(paddleIndex);
    if (edge == 0) {
        return;
    }
    bounceOnPaddle(paddleIndex, edge);
    accelerateBall();
    gBounceCooldown = kCooldownSteps;
}

void bounceOnPaddle(int paddleIndex, int edge) {
    startSoundEffect(kPaddleSound);

    const int(&start)[2] = gPaddleApex[paddleIndex][edge - 1];
    const int(&end)[2] = gPaddleApex[paddleIndex][edge % kPaddleCorners];

    // The edge vector turned a quarter, not scaled to unit length; the doubled dot product is
    // divided by its squared length only at the end, each correction truncated toward zero.
    const int nx = end[1] - start[1];
    const int ny = start[0] - end[0];
    const int t = 2 * (gBallVx * nx + gBallVy * ny);
    const int d = nx * nx + ny * ny;
    gBallVx -= t * nx / d;
    gBallVy -= t * ny / d;
}

void accelerateBall() {
    if (gBallVx * gBallVx + gBallVy * gBallVy > kMaxAcceleratedSquaredSpeed) {
        return;
    }
    gBallVx = speedUp(gBallVx);
    gBallVy = speedUp(gBallVy);
}
