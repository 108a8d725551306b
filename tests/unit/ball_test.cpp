// Ball motion: one step, reflection about y 160 and 5840 with the wall sound first, x untested.
#include "game/ball.h"
#include "test_support.h"

namespace {

class BallTest : public GameTest {};

TEST_F(BallTest, StepsAndReflectsOffTheWalls) {
    struct Case {
        int x, y, vx, vy;
        int wantX, wantY, wantVy;
        bool sound;
    };
    const Case cases[] = {
        {1000, 210, 0, -50, 1000, 160, -50, false},   // ends exactly on the top mirror line
        {1000, 209, 0, -50, 1000, 161, 50, true},     // one past it: mirrored to 161
        {1000, 5790, 0, 50, 1000, 5840, 50, false},   // exactly on the bottom line
        {1000, 5791, 0, 50, 1000, 5839, -50, true},   // one past it
        {3000, 200, -50, -100, 2950, 220, 100, true}, // 100 mirrored to 220
        {3000, 5800, 20, 150, 3020, 5730, -150, true},
        {3000, 3000, 70, 0, 3070, 3000, 0, false},   // horizontal: never reflected
        {7990, 3000, 50, 10, 8040, 3010, 10, false}, // x is never tested or limited
        {-100, 300, -200, -200, -300, 220, 200, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " v " << c.vx << "," << c.vy);
        fake::reset();
        gBallX = c.x;
        gBallY = c.y;
        gBallVx = c.vx;
        gBallVy = c.vy;
        EXPECT_EQ(moveBall(), 1);
        EXPECT_EQ(gBallX, c.wantX);
        EXPECT_EQ(gBallY, c.wantY);
        EXPECT_EQ(gBallVx, c.vx);
        EXPECT_EQ(gBallVy, c.wantVy);
        const auto sounds = fake::callsNamed("Mix_PlayChannelTimed");
        ASSERT_EQ(sounds.size(), c.sound ? 1u : 0u);
        if (c.sound) {
            EXPECT_EQ(sounds[0].args, (std::vector<long long>{-1, 0, 0, -1}));
        }
    }
}

TEST_F(BallTest, OneWallContactPlaysTheSoundOnce) {
    gBallX = 4000;
    gBallY = 230;
    gBallVx = 0;
    gBallVy = -100;
    for (int step = 0; step < 6; ++step) {
        moveBall();
        EXPECT_GE(gBallY, 160);
    }
    EXPECT_EQ(fake::callsNamed("Mix_PlayChannelTimed").size(), 1u);
}

} // namespace
