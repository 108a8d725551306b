// Paddle geometry: corner offsets must come out bit for bit, including the truncation that makes
// an untilted paddle 318 units wide.
#include "game/paddle.h"
#include "test_support.h"

namespace {

class PaddleTest : public GameTest {};

TEST_F(PaddleTest, CornerOffsetsForTellingAngles) {
    struct Case {
        float angle;
        int dx1, dy1, dx2, dy2;
    };
    const Case cases[] = {
        {0.0f, 159, 640, -159, 640},    {0.15f, 62, 656, -253, 608},
        {-0.15f, 253, 608, -62, 656},   {0.6354f, -251, 610, -508, 420},
        {0.75f, -319, 577, -553, 359},  {0.7854f, -339, 565, -565, 339},
        {-0.7854f, 565, 339, 339, 565},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        for (int paddle = 0; paddle < 2; ++paddle) {
            const int cx = paddle == 0 ? 400 : 7600;
            const int cy = 2000 + 1000 * paddle;
            computePaddleApex(paddle, cx, cy, c.angle);
            const int(&k)[4][2] = gPaddleApex[paddle];
            const int want[4][2] = {{cx + c.dx1, cy + c.dy1},
                                    {cx + c.dx2, cy + c.dy2},
                                    {cx - c.dx1, cy - c.dy1},
                                    {cx - c.dx2, cy - c.dy2}};
            for (int corner = 0; corner < 4; ++corner) {
                EXPECT_EQ(k[corner][0], want[corner][0])
                    << "paddle " << paddle << " corner " << corner;
                EXPECT_EQ(k[corner][1], want[corner][1])
                    << "paddle " << paddle << " corner " << corner;
            }
        }
    }
}

TEST_F(PaddleTest, StartCornersAndIndependenceOfEachPaddle) {
    computePaddleApex(0, 400, 3000, 0.0f);
    computePaddleApex(1, 7600, 3000, 0.0f);
    const int want[2][4][2] = {{{559, 3640}, {241, 3640}, {241, 2360}, {559, 2360}},
                               {{7759, 3640}, {7441, 3640}, {7441, 2360}, {7759, 2360}}};
    for (int p = 0; p < 2; ++p) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(gPaddleApex[p][c][0], want[p][c][0]);
            EXPECT_EQ(gPaddleApex[p][c][1], want[p][c][1]);
        }
    }
    // Recomputing one paddle leaves the other alone; the same arguments give the same corners.
    computePaddleApex(0, 400, 640, 0.7854f);
    computePaddleApex(0, 400, 3000, 0.0f);
    EXPECT_EQ(gPaddleApex[0][0][0], 559);
    EXPECT_EQ(gPaddleApex[1][2][1], 2360);
}

} // namespace
