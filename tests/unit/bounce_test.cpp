// The paddle-hit step: mirror on the touched edge, the paddle sound first, acceleration to the
// nearest integer below the speed cap, and the shared cooldown counted in steps.
#include <vector>

#include "game/bounce.h"
#include "game/paddle.h"
#include "test_support.h"

namespace {

class BounceTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        computePaddleApex(0, 400, 3000, 0.0f);
        computePaddleApex(1, 7600, 3000, 0.0f);
    }
};

TEST_F(BounceTest, MirrorsOnStraightEdges) {
    struct Case {
        int edge, vx, vy, wantVx, wantVy;
    };
    const Case cases[] = {
        {4, -73, 20, 73, 20},   {2, -73, 20, 73, 20}, {1, -73, 20, -73, -20},
        {3, -73, 20, -73, -20}, {4, 50, 0, -50, 0}, // moving away is turned back all the same
        {4, 0, -50, 0, -50},                        // parallel to the edge: unchanged
    };
    for (const Case& c : cases) {
        fake::reset();
        gBallVx = c.vx;
        gBallVy = c.vy;
        bounceOnPaddle(0, c.edge);
        EXPECT_EQ(gBallVx, c.wantVx) << "edge " << c.edge;
        EXPECT_EQ(gBallVy, c.wantVy) << "edge " << c.edge;
        EXPECT_EQ(fake::state().calls,
                  (std::vector<fake::Call>{{"Mix_PlayChannelTimed", {-1, 1, 0, -1}}}));
    }
}

TEST_F(BounceTest, MirrorsOnATiltedEdgeTruncatingEachCorrection) {
    gPaddleApex[0][3][0] = 500;
    gPaddleApex[0][3][1] = 2400;
    gPaddleApex[0][0][0] = 600;
    gPaddleApex[0][0][1] = 3600;
    gBallVx = -50;
    gBallVy = -50;
    bounceOnPaddle(0, 4);
    EXPECT_EQ(gBallVx, 41);
    EXPECT_EQ(gBallVy, -57);
    accelerateBall();
    EXPECT_EQ(gBallVx, 42);
    EXPECT_EQ(gBallVy, -59);
}

TEST_F(BounceTest, AcceleratesToTheNearestIntegerBelowTheCap) {
    struct Case {
        int vx, vy, wantVx, wantVy;
    };
    const Case cases[] = {
        {199, 0, 205, 0},     {200, 0, 200, 0},     {0, -200, 0, -200},   {141, 141, 145, 145},
        {150, 132, 155, 136}, {150, 133, 150, 133}, {-50, -50, -52, -52}, {16, -17, 16, -18},
        {0, 0, 0, 0},         {-199, 0, -205, 0},   {50, -50, 52, -52},   {84, 84, 87, 87},
    };
    for (const Case& c : cases) {
        gBallVx = c.vx;
        gBallVy = c.vy;
        accelerateBall();
        EXPECT_EQ(gBallVx, c.wantVx) << c.vx << "," << c.vy;
        EXPECT_EQ(gBallVy, c.wantVy) << c.vx << "," << c.vy;
    }
}

TEST_F(BounceTest, AServeReachesTheCapAfterThirtyFiveAccelerations) {
    gBallVx = 50;
    gBallVy = -50;
    std::vector<int> sizes = {50};
    for (int i = 0; i < 60; ++i) {
        accelerateBall();
        if (gBallVx != sizes.back()) {
            sizes.push_back(gBallVx);
        }
        EXPECT_EQ(gBallVy, -gBallVx);
    }
    EXPECT_EQ(sizes.size(), 36u);
    EXPECT_EQ(sizes[1], 52);
    EXPECT_EQ(sizes[2], 54);
    EXPECT_EQ(sizes.back(), 145);
    EXPECT_EQ(gBallVx * gBallVx + gBallVy * gBallVy, 42050);
}

TEST_F(BounceTest, ParallelHitStillSoundsAcceleratesAndStartsTheCooldown) {
    gBallX = 700;
    gBallY = 3000;
    gBallVx = 0;
    gBallVy = -50;
    resolvePaddleHit(0);
    EXPECT_EQ(gBallVx, 0);
    EXPECT_EQ(gBallVy, -52);
    EXPECT_EQ(gBounceCooldown, 20);
    EXPECT_EQ(fake::callsNamed("Mix_PlayChannelTimed").size(), 1u);
}

TEST_F(BounceTest, CooldownSkipsTwentyStepsWhateverThePaddle) {
    gBallX = 700; // touching the player's court-facing edge throughout
    gBallY = 3000;
    gBallVx = -50;
    gBallVy = 0;
    resolvePaddleHit(0);
    EXPECT_EQ(gBallVx, 52);
    for (int step = 1; step <= 20; ++step) {
        resolvePaddleHit(step % 2); // either paddle: the count runs on
        EXPECT_EQ(gBounceCooldown, 20 - step);
        EXPECT_EQ(gBallVx, 52) << "no test while cooling down, step " << step;
    }
    resolvePaddleHit(0); // the 21st step tests again and bounces the still-touching ball
    EXPECT_EQ(gBallVx, -54);
    EXPECT_EQ(gBounceCooldown, 20);
    EXPECT_EQ(fake::callsNamed("Mix_PlayChannelTimed").size(), 2u);
}

TEST_F(BounceTest, NoContactNoChange) {
    gBallX = 3000;
    gBallY = 3000;
    gBallVx = -50;
    gBallVy = -50;
    resolvePaddleHit(0);
    EXPECT_EQ(gBallVx, -50);
    EXPECT_EQ(gBounceCooldown, 0);
    EXPECT_TRUE(fake::state().calls.empty());

    gBounceCooldown = 1;
    gBallX = 700; // touching, but the step only counts down
    resolvePaddleHit(0);
    EXPECT_EQ(gBounceCooldown, 0);
    EXPECT_EQ(gBallVx, -50);
}

} // namespace
