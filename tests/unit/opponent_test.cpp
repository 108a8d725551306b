// Opponent control: follow the approaching ball's height, otherwise return to the centre band.
#include "game/opponent.h"
#include "test_support.h"

namespace {

class OpponentTest : public GameTest {};

TEST_F(OpponentTest, StepsTowardTheBallOrTheMiddle) {
    struct Case {
        int ballVx, ballY, from, want;
    };
    const Case cases[] = {
        // Ball approaching: follow its height, staying within 426 of it.
        {50, 3000, 2574, 2574},
        {50, 3000, 3426, 3426},
        {50, 3000, 2573, 2643},
        {50, 3000, 3427, 3357},
        {50, 1000, 574, 574},
        {50, 1000, 573, 643},
        {50, 1000, 1426, 1426},
        {50, 1000, 1427, 1357},
        {1, 5840, 3000, 3070},
        // Ball leaving or not moving sideways: back to 2574..3426 whatever its height.
        {-50, 3000, 2573, 2643},
        {-50, 3000, 2574, 2574},
        {-50, 3000, 3426, 3426},
        {-50, 3000, 3427, 3357},
        {-50, 100, 5000, 4930},
        {0, 5800, 5000, 4930},
        {0, 100, 1000, 1070},
    };
    for (const Case& c : cases) {
        gBallVx = c.ballVx;
        gBallY = c.ballY;
        gOpponentY = c.from;
        moveOpponent();
        EXPECT_EQ(gOpponentY, c.want)
            << "vx " << c.ballVx << " ball y " << c.ballY << " from " << c.from;
    }
}

TEST_F(OpponentTest, ComesToRestAboveTheCourtFollowingABallAtTheTopWall) {
    gBallVx = 50;
    gBallY = 160;
    gOpponentY = 587;
    moveOpponent();
    EXPECT_EQ(gOpponentY, 517);
    for (int i = 0; i < 5; ++i) {
        moveOpponent();
    }
    EXPECT_EQ(gOpponentY, 517);
}

} // namespace
