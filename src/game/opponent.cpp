// Opponent control. While the ball moves toward it the paddle follows the ball's height; otherwise
// it drifts back to the middle of the court. It never tilts and is never clamped.
#include "game/opponent.h"

#include "game/game.h"

namespace {

constexpr int kStep = 70;
constexpr int kFollowBand = 426; // stays put within this distance of the ball's height
constexpr int kCentreBandLow = kPaddleCentreY - kFollowBand;  // 2574
constexpr int kCentreBandHigh = kPaddleCentreY + kFollowBand; // 3426

} // namespace

void moveOpponent() {
    const int y = gOpponentY;
    if (gBallVx > 0) {
        if (gBallY - kFollowBand > y) {
            gOpponentY += kStep;
        } else if (gBallY + kFollowBand < y) {
            gOpponentY -= kStep;
        }
    } else {
        if (y < kCentreBandLow) {
            gOpponentY += kStep;
        } else if (y > kCentreBandHigh) {
            gOpponentY -= kStep;
        }
    }
}
