// Drawing: the two unit conversions, the ball and paddle outlines, the score glyphs and the order
// of a whole frame.
#include <string>
#include <vector>

#include "game/paddle.h"
#include "render/court.h"
#include "render/score.h"
#include "test_support.h"

namespace {

using fake::Call;
using Shapes = std::vector<std::vector<long long>>;

Shapes argsOf(const std::string& name) {
    Shapes out;
    for (const Call& call : fake::callsNamed(name)) {
        out.push_back(call.args);
    }
    return out;
}

class RenderTest : public GameTest {};

TEST_F(RenderTest, ConvertsCourtUnitsToPixelsTwoWays) {
    struct Case {
        int court, truncated, nearest;
    };
    const Case cases[] = {
        {4005, 400, 401}, {3995, 399, 400}, {-35, -3, -4},    {-165, -16, -17}, {15, 1, 2},
        {14, 1, 1},       {5, 0, 1},        {4, 0, 0},        {-5, 0, -1},      {-14, -1, -1},
        {-15, -1, -2},    {0, 0, 0},        {5999, 599, 600}, {-16, -1, -2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(courtToPixelTruncated(c.court), c.truncated) << c.court;
        EXPECT_EQ(courtToPixelNearest(c.court), c.nearest) << c.court;
    }
}

TEST_F(RenderTest, DrawsTheBallOutlineFromItsTruncatedCentre) {
    struct Case {
        int x, y;
        Shapes lines;
    };
    const Case cases[] = {
        {4005,
         3000,
         {{416, 284, 384, 284}, {384, 284, 384, 316}, {384, 316, 416, 316}, {416, 316, 416, 284}}},
        {-35,
         1234,
         {{13, 107, -19, 107}, {-19, 107, -19, 139}, {-19, 139, 13, 139}, {13, 139, 13, 107}}},
    };
    for (const Case& c : cases) {
        fake::reset();
        gBallX = c.x;
        gBallY = c.y;
        renderBall();
        EXPECT_EQ(argsOf("SDL_RenderDrawLine"), c.lines);
        EXPECT_TRUE(fake::callsNamed("SDL_SetRenderDrawColor").empty());
    }
}

TEST_F(RenderTest, DrawsBothPaddleOutlinesCornerToCorner) {
    computePaddleApex(0, 400, 3000, 0.0f);
    computePaddleApex(1, 7600, 3000, 0.0f);
    renderPaddles();
    const Shapes want = {
        {56, 364, 24, 364},   {24, 364, 24, 236},   {24, 236, 56, 236},   {56, 236, 56, 364},
        {776, 364, 744, 364}, {744, 364, 744, 236}, {744, 236, 776, 236}, {776, 236, 776, 364},
    };
    EXPECT_EQ(argsOf("SDL_RenderDrawLine"), want);

    // A tilted paddle at the top limit reaches above the window; nothing is clamped.
    fake::reset();
    computePaddleApex(0, 400, 640, 0.15f);
    EXPECT_EQ(gPaddleApex[0][2][0], 338);
    EXPECT_EQ(gPaddleApex[0][2][1], -16);
    renderPaddles();
    const Shapes lines = argsOf("SDL_RenderDrawLine");
    EXPECT_EQ(lines[1][2], 34);
    EXPECT_EQ(lines[1][3], -2);
    EXPECT_EQ(lines[2][0], 34);
    EXPECT_EQ(lines[2][1], -2);
}

// Every glyph's rectangles in drawing order, left side; the right side is 100 pixels further.
TEST_F(RenderTest, FillsEachScoreGlyphOnBothSides) {
    const Shapes glyphs[] = {
        {{360, 20, 8, 48}, {340, 20, 8, 48}, {340, 20, 20, 8}, {340, 60, 20, 8}},
        {{350, 20, 8, 48}},
        {{360, 20, 8, 24}, {340, 44, 8, 24}, {340, 20, 28, 8}, {340, 40, 28, 8}, {340, 60, 28, 8}},
        {{360, 20, 8, 48}, {340, 20, 28, 8}, {340, 40, 28, 8}, {340, 60, 28, 8}},
        {{360, 20, 8, 48}, {340, 20, 8, 24}, {340, 40, 28, 8}},
        {{360, 44, 8, 24}, {340, 20, 8, 24}, {340, 20, 28, 8}, {340, 40, 28, 8}, {340, 60, 28, 8}},
        {{360, 44, 8, 24}, {340, 20, 8, 48}, {340, 20, 28, 8}, {340, 40, 28, 8}, {340, 60, 28, 8}},
        {{360, 20, 8, 48}, {340, 20, 28, 8}},
        {{360, 20, 8, 48}, {340, 20, 8, 48}, {340, 20, 28, 8}, {340, 40, 28, 8}, {340, 60, 28, 8}},
        {{360, 20, 8, 48}, {340, 20, 8, 24}, {340, 20, 28, 8}, {340, 40, 28, 8}, {340, 60, 28, 8}},
        {{360, 20, 8, 48}, {320, 20, 8, 48}, {340, 20, 8, 48}, {340, 20, 20, 8}, {340, 60, 20, 8}},
    };
    for (int value = 0; value <= 10; ++value) {
        for (int side = 0; side < 2; ++side) {
            SCOPED_TRACE(::testing::Message() << "value " << value << " side " << side);
            fake::reset();
            renderScore(value, side);
            Shapes want = glyphs[value];
            for (auto& rect : want) {
                rect[0] += 100 * side;
            }
            EXPECT_EQ(argsOf("SDL_RenderFillRect"), want);
            for (const auto& rect : want) {
                EXPECT_GE(rect[0], 320 + 100 * side);
                EXPECT_LE(rect[0] + rect[2] - 1, 367 + 100 * side);
                EXPECT_GE(rect[1], 20);
                EXPECT_LE(rect[1] + rect[3] - 1, 67);
            }
        }
    }
}

TEST_F(RenderTest, ScoresOutsideZeroToTenDrawNothing) {
    for (const int value : {-1, 11, -1000, 1000}) {
        for (int side = 0; side < 2; ++side) {
            fake::reset();
            renderScore(value, side);
            EXPECT_TRUE(fake::state().calls.empty()) << value;
        }
    }
}

TEST_F(RenderTest, DrawsAWholeFrameInOrder) {
    computePaddleApex(0, 400, 3000, 0.0f);
    computePaddleApex(1, 7600, 3000, 0.0f);
    gBallX = 4005;
    gBallY = 3000;
    renderFrame(10, 1);
    const std::vector<Call>& calls = fake::state().calls;
    const std::vector<Call> head = {
        {"SDL_SetRenderDrawColor", {1, 0, 0, 0, 255}},
        {"SDL_RenderClear", {}},
        {"SDL_SetRenderDrawColor", {1, 255, 255, 255, 255}},
        {"SDL_RenderDrawLine", {400, 0, 400, 600}},
        // 10 on the left, 1 on the right
        {"SDL_RenderFillRect", {360, 20, 8, 48}},
        {"SDL_RenderFillRect", {320, 20, 8, 48}},
        {"SDL_RenderFillRect", {340, 20, 8, 48}},
        {"SDL_RenderFillRect", {340, 20, 20, 8}},
        {"SDL_RenderFillRect", {340, 60, 20, 8}},
        {"SDL_RenderFillRect", {450, 20, 8, 48}},
        {"SDL_RenderDrawLine", {56, 364, 24, 364}},
    };
    ASSERT_EQ(calls.size(), head.size() + 7 + 4 + 1);
    EXPECT_EQ(std::vector<Call>(calls.begin(), calls.begin() + long(head.size())), head);
    EXPECT_EQ(calls[head.size() + 7], (Call{"SDL_RenderDrawLine", {416, 284, 384, 284}}));
    EXPECT_EQ(calls.back().name, "SDL_RenderPresent");

    // A score out of range leaves only its glyph out.
    fake::reset();
    renderFrame(11, -1);
    EXPECT_TRUE(fake::callsNamed("SDL_RenderFillRect").empty());
    EXPECT_EQ(fake::callsNamed("SDL_RenderDrawLine").size(), 13u);
    EXPECT_EQ(fake::state().calls.back().name, "SDL_RenderPresent");
}

} // namespace
