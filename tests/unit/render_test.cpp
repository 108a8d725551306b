// Drawing: the two unit conversions, the ball and paddle outlines, the score glyphs and the order
// of a whole frame.
#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <utility>
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

// Score glyphs as the pixels they fill. A digit's cell is 28 x 48 pixels from (340, 20) on the
// player's side. Its bars, 8 pixels thick, are the seven segments of the usual display (a top,
// b upper right, c lower right, d bottom, e lower left, f upper left, g middle), the 1's upright
// down the middle (|) and the tens of the 10 left of the cell (t).
struct Bar {
    char name;
    int x, y, w, h; // from the cell's top left corner
};
constexpr Bar kBars[] = {
    {'a', 0, 0, 28, 8},  {'b', 20, 0, 8, 24}, {'c', 20, 24, 8, 24},
    {'d', 0, 40, 28, 8}, {'e', 0, 24, 8, 24}, {'f', 0, 0, 8, 24},
    {'g', 0, 20, 28, 8}, {'|', 10, 0, 8, 48}, {'t', -20, 0, 8, 48},
};
constexpr const char* kFigures[] = {"abcdef", "|",   "abdeg",   "abcdg",  "bcfg",   "acdfg",
                                    "acdefg", "abc", "abcdefg", "abcdfg", "tabcdef"};

std::set<std::pair<long long, long long>> pixelsOf(const Shapes& rects) {
    std::set<std::pair<long long, long long>> pixels;
    for (const auto& rect : rects) {
        for (long long x = rect[0]; x < rect[0] + rect[2]; ++x) {
            for (long long y = rect[1]; y < rect[1] + rect[3]; ++y) {
                pixels.insert({x, y});
            }
        }
    }
    return pixels;
}

Shapes figure(const char* bars) {
    Shapes rects;
    for (const char* name = bars; *name != '\0'; ++name) {
        const Bar* bar = std::find_if(std::begin(kBars), std::end(kBars),
                                      [&](const Bar& b) { return b.name == *name; });
        rects.push_back({340 + bar->x, 20 + bar->y, bar->w, bar->h});
    }
    return rects;
}

// Each score, 0 to 10, fills exactly the pixels of its figure (so it stays within its cell, and 8
// covers every other digit); the opponent's is the player's moved 100 pixels right.
TEST_F(RenderTest, FillsEachScoreGlyphOnBothSides) {
    for (int value = 0; value <= 10; ++value) {
        SCOPED_TRACE(::testing::Message() << "value " << value);
        fake::reset();
        renderScore(value, kPlayerPaddle);
        const Shapes player = argsOf("SDL_RenderFillRect");
        EXPECT_TRUE(pixelsOf(player) == pixelsOf(figure(kFigures[value])))
            << "filled " << ::testing::PrintToString(player);

        fake::reset();
        renderScore(value, kOpponentPaddle);
        Shapes moved = player;
        for (auto& rect : moved) {
            rect[0] += 100;
        }
        EXPECT_EQ(argsOf("SDL_RenderFillRect"), moved);
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
