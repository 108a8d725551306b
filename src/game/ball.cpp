// Ball motion. The left and right edges are not walls: a ball crossing them is scored by the match
// loop, so x is never tested here.
#include "game/ball.h"

#include "app/media.h"
#include "game/game.h"

namespace {

// The ball's box touches a wall when its centre is half a ball from it.
constexpr int kTopMirrorY = kBallHalfSize;                   // 160
constexpr int kBottomMirrorY = kCourtHeight - kBallHalfSize; // 5840

} // namespace

int moveBall() {
    gBallX += gBallVx;
    gBallY += gBallVy;

    if (gBallY < kTopMirrorY) {
        startSoundEffect(kWallSound);
        gBallY = 2 * kTopMirrorY - gBallY;
        gBallVy = -gBallVy;
    } else if (gBallY > kBottomMirrorY) {
        startSoundEffect(kWallSound);
        gBallY = 2 * kBottomMirrorY - gBallY;
        gBallVy = -gBallVy;
    }
    return 1;
}
