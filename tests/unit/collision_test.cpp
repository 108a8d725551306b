// Collision detection: side codes (with the shifted decisions of odd midpoints), segment contact,
// and which paddle edge the ball's box touches, for both paddles.
#include <algorithm>
#include <cmath>

#include "game/collision.h"
#include "game/paddle.h"
#include "test_support.h"

namespace {

class CollisionTest : public GameTest {};

TEST_F(CollisionTest, SideCodes) {
    struct Case {
        int ax, ay, bx, by, px, py, want;
    };
    const Case cases[] = {
        {0, 0, 10, 0, 5, 5, 0},  // right of A->B as seen on screen (y down)
        {0, 0, 10, 0, 5, -5, 2}, // left
        {0, 0, 10, 0, 20, 0, 1}, // on the line beyond B
        {0, 0, 10, 0, -7, 0, 1}, // on the line before A
        {0, 0, 1, 0, 5, 0, 2},   // odd sum: a point on the line is pushed to one side...
        {1, 0, 0, 0, 5, 0, 0},   // ...and to the other when A and B swap
        {0, 0, 1, 0, 5, 1, 0},   {0, 0, 1, 0, 5, -1, 2}, {559, 2360, 559, 3640, 559, 5000, 1},
        {-3, 0, 0, 0, 0, 5, 0}, // negative odd sum: the midpoint truncates toward zero
    };
    for (const Case& c : cases) {
        EXPECT_EQ(computeSide(c.ax, c.ay, c.bx, c.by, c.px, c.py), c.want)
            << "A(" << c.ax << "," << c.ay << ") B(" << c.bx << "," << c.by << ") P(" << c.px << ","
            << c.py << ")";
    }
}

TEST_F(CollisionTest, SegmentContactAgainstAHorizontalSegment) {
    struct Case {
        int b1x, b1y, b2x, b2y, want;
    };
    // Segment A runs from (0, 0) to (10, 0).
    const Case cases[] = {
        {4, 6, 4, -6, 1},    {4, -6, 4, 6, 1}, // crossings, either direction
        {10, 6, 10, -6, 1},                    // through the end point A2
        {12, 6, 12, -6, 0},                    // crosses the line beyond A2
        {4, 2, 4, 6, 0},                       // both ends on one side
        {4, 0, 4, 6, 1},     {4, 6, 4, 0, 1},
        {4, -6, 4, 0, 1},    {4, 0, 4, -6, 0}, // starts on A, leaves to the left
        {20, 0, 30, 0, 0},                     // collinear and disjoint: no contact
        {-30, 0, -20, 0, 0}, {4, 0, 14, 0, 1},
        {10, 0, 20, 0, 1},                    // collinear and overlapping, or sharing an end
        {5, 0, 15, 0, 0},                     // overlapping, but an odd midpoint shifts a code
        {-10, 0, 30, 0, 1},  {2, 0, 8, 0, 1}, // containing A, or inside it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detectSegmentIntersection(0, 0, 10, 0, c.b1x, c.b1y, c.b2x, c.b2y), c.want)
            << "B(" << c.b1x << "," << c.b1y << ")-(" << c.b2x << "," << c.b2y << ")";
    }
}

struct BallCase {
    int x, y, edge;
};

void expectEdges(int paddle, const BallCase* begin, const BallCase* end) {
    for (const BallCase* c = begin; c != end; ++c) {
        gBallX = c->x;
        gBallY = c->y;
        EXPECT_EQ(checkCollisionWithPaddle(paddle), c->edge)
            << "paddle " << paddle << " ball (" << c->x << ", " << c->y << ")";
    }
}

TEST_F(CollisionTest, PlayerPaddleEdges) {
    computePaddleApex(0, 400, 3000, 0.0f);
    computePaddleApex(1, 7600, 3000, 0.0f);
    const BallCase cases[] = {
        {700, 3000, 4},
        {719, 3000, 4},
        {720, 3000, 0}, // the court-facing edge
        {650, 3700, 4},
        {650, 2300, 4}, // over corners 0 and 3: edge 4 first
        {300, 3700, 1},
        {300, 2300, 2},
        {400, 3000, 4}, // over corners 1, 2; centred
        {719, 3799, 0},
        {719, 3800, 4}, // one-unit effect of an odd midpoint
        {4000, 3000, 0},
        {400, 5000, 0},
        // Far along the line of an edge, clear of the paddle: no contact.
        {2001, 3800, 0},
        {2000, 3800, 0},
        {2001, 2200, 0},
        {2000, 2200, 0},
        {719, 5000, 0},
        {719, 4999, 0},
        {719, 1000, 0},
        {-700, 3800, 0},
        // Along the line and overlapping the edge: contact.
        {301, 3800, 1},
        {301, 2200, 2},
        {300, 3800, 2},
    };
    expectEdges(0, std::begin(cases), std::end(cases));
}

TEST_F(CollisionTest, OpponentPaddleEdges) {
    computePaddleApex(0, 400, 3000, 0.0f);
    computePaddleApex(1, 7600, 3000, 0.0f);
    const BallCase cases[] = {
        {7300, 3000, 2}, {7281, 3000, 2}, {7280, 3000, 0}, {7350, 3700, 1},
        {7350, 2300, 2}, {6001, 3800, 0}, {6000, 3800, 0}, // far along the bottom edge's line
        {7900, 3000, 4},                                   // the back of the paddle
    };
    expectEdges(1, std::begin(cases), std::end(cases));
}

// For tilted paddles, contact must agree with an independent test of whether the box and the
// paddle's parallelogram overlap (separating axes), away from the one-unit boundary effects.
double separation(const double (&poly)[4][2], double bx, double by) {
    // Largest gap along any candidate axis: the box's two axes and the paddle's two edge normals.
    const double half = 160.0;
    const double axes[4][2] = {{1, 0},
                               {0, 1},
                               {poly[1][1] - poly[0][1], poly[0][0] - poly[1][0]},
                               {poly[2][1] - poly[1][1], poly[1][0] - poly[2][0]}};
    double worst = -1e300;
    for (const auto& axis : axes) {
        const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1]);
        const double ux = axis[0] / len, uy = axis[1] / len;
        double pmin = 1e300, pmax = -1e300;
        for (const auto& p : poly) {
            const double v = p[0] * ux + p[1] * uy;
            pmin = std::min(pmin, v);
            pmax = std::max(pmax, v);
        }
        const double centre = bx * ux + by * uy;
        const double reach = half * (std::fabs(ux) + std::fabs(uy));
        worst = std::max(worst, std::max(pmin - (centre + reach), (centre - reach) - pmax));
    }
    return worst; // > 0: apart by that much; < 0: overlapping
}

TEST_F(CollisionTest, TiltedPaddlesAgreeWithAnIndependentOverlapTest) {
    int contacts = 0;
    int checked = 0;
    for (const float angle : {-0.7854f, -0.45f, -0.15f, 0.15f, 0.3f, 0.6354f, 0.7854f}) {
        computePaddleApex(0, 400, 3000, angle);
        double poly[4][2];
        for (int c = 0; c < 4; ++c) {
            poly[c][0] = gPaddleApex[0][c][0];
            poly[c][1] = gPaddleApex[0][c][1];
        }
        for (int x = -700; x <= 1500; x += 23) {
            for (int y = 1900; y <= 4100; y += 29) {
                const double gap = separation(poly, x, y);
                if (std::fabs(gap) < 3.0) {
                    continue;
                }
                gBallX = x;
                gBallY = y;
                const int edge = checkCollisionWithPaddle(0);
                EXPECT_EQ(edge != 0, gap < 0) << "angle " << angle << " ball " << x << "," << y;
                contacts += edge != 0 ? 1 : 0;
                ++checked;
            }
        }
    }
    EXPECT_GT(contacts, 1000);
    EXPECT_GT(checked, 20000);
}

} // namespace
